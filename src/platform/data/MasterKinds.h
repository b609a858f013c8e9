#pragma once

#include "platform/data/TradeSide.h"

#include <QString>
#include <QStringList>

#include <array>

// The three master ledgers.
enum class EMasterKind { Item, Customer, Supplier };

// One master ledger and every number and name that stands for it. Stored
// files and callers number the ledgers three ways (the list and import kind
// 1-3, the column set and classification 0-2, the saved extraction 2-4);
// each is here once, so code converts where a number is read or written and
// carries the descriptor everywhere else.
struct CMasterKind {
    EMasterKind kind;
    int number;                // 1 products, 2 customers, 3 suppliers
    int columnSet;             // 0-2: column sets and classifications
    int extractKind;           // 2-4: a saved extraction's ledger
    int codeCounter;           // the counter numbering new partners' codes; 0 products
    const char* table;         // "Item"
    const char* codeField;     // "ItemCode"
    const char16_t* word;      // 商品 / 得意先 / 仕入先
    const char16_t* codeLabel; // 品番 / 得意先コード / 仕入先コード
    const CTradeSide* side;    // the partners' side; null for products
    // The tables whose rows keep a record of the ledger in use (it may then
    // not be deleted); null past the last.
    std::array<const char*, 5> usage;

    QString Table() const { return QString::fromLatin1(table); }
    QString CodeField() const { return QString::fromLatin1(codeField); }
    QString Word() const { return QString::fromUtf16(word); }
    QString CodeLabel() const { return QString::fromUtf16(codeLabel); }
    QStringList UsageTables() const;

    static const CMasterKind& Of(EMasterKind kind);
    static const CMasterKind& Items() { return Of(EMasterKind::Item); }
    static const CMasterKind& Customers() { return Of(EMasterKind::Customer); }
    static const CMasterKind& Suppliers() { return Of(EMasterKind::Supplier); }
    // By the list's number 1-3; null for any other number.
    static const CMasterKind* OfNumber(int number);
    // By the column set's number 0-2; null for any other number.
    static const CMasterKind* OfColumnSet(int columnSet);
    static const std::array<const CMasterKind*, 3>& All();
};
