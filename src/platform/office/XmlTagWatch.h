#pragma once

#include <QtGlobal>

// libxml2 checks the attributes of a start tag for duplicates pair by pair:
// a tag of a hundred thousand empty attributes, a megabyte, holds it for
// minutes before a node can be counted. The bytes are watched as they are
// handed over to it, and the read fails at a tag longer than the bound,
// chosen far above what the file's writers put in one tag; texts, comments,
// character data and processing instructions are not tags. A file in UTF-16 is watched a
// code unit at a time, so that half of a character is never taken for "<"
// or a quote.
class CXmlTagWatch
{
  public:
    explicit CXmlTagWatch(int mostTagUnits) : m_nMost(mostTagUnits) {}

    // False once a tag runs past the bound.
    bool Pass(const char* data, qint64 length)
    {
        for (qint64 i = 0; i < length; ++i) {
            const auto b = uchar(data[i]);
            if (m_nBytes < 2) {
                // A file's first two bytes tell UTF-16: its byte-order mark,
                // or the "<" it starts with.
                m_start[m_nBytes++] = b;
                if (m_nBytes < 2)
                    continue;
                const bool little =
                    (m_start[0] == 0xFF && m_start[1] == 0xFE) || (m_start[0] == '<' && m_start[1] == 0);
                const bool big =
                    (m_start[0] == 0xFE && m_start[1] == 0xFF) || (m_start[0] == 0 && m_start[1] == '<');
                if (little || big) {
                    m_bWide = true;
                    m_bBigEndian = big;
                    if (!Take(Unit(m_start[0], m_start[1])))
                        return false;
                } else if (!Take(m_start[0]) || !Take(m_start[1])) {
                    return false;
                }
            } else if (!m_bWide) {
                if (!Take(b))
                    return false;
            } else if (m_bHalf) {
                m_bHalf = false;
                if (!Take(Unit(m_half, b)))
                    return false;
            } else {
                m_half = b;
                m_bHalf = true;
            }
        }
        return true;
    }

  private:
    enum State { kText, kOpen, kBang, kBangDash, kComment, kData, kInstruction, kTag, kQuoted };

    char16_t Unit(uchar first, uchar second) const
    {
        return m_bBigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first);
    }

    bool Take(char16_t c)
    {
        switch (m_state) {
        case kText:
            if (c == '<')
                m_state = kOpen;
            break;
        case kOpen:
            m_state = c == '?' ? kInstruction : c == '!' ? kBang : kTag;
            m_nTag = 1;
            break;
        case kBang: // "<!--" a comment, "<![" character data, else a declaration
            m_state = c == '-' ? kBangDash : c == '[' ? kData : kTag;
            break;
        case kBangDash:
            m_state = c == '-' ? kComment : kTag;
            break;
        case kComment:
            if (c == '>' && m_last == '-' && m_beforeLast == '-')
                m_state = kText;
            break;
        case kData:
            if (c == '>' && m_last == ']' && m_beforeLast == ']')
                m_state = kText;
            break;
        case kInstruction:
            if (c == '>' && m_last == '?')
                m_state = kText;
            break;
        case kTag:
            if (c == '"' || c == '\'') {
                m_quote = c;
                m_state = kQuoted;
            } else if (c == '>') {
                m_state = kText;
            }
            break;
        case kQuoted:
            if (c == m_quote)
                m_state = kTag;
            break;
        }
        if ((m_state == kTag || m_state == kQuoted) && ++m_nTag > m_nMost)
            return false;
        m_beforeLast = m_last;
        m_last = c;
        return true;
    }

    int m_nMost;
    State m_state = kText;
    int m_nTag = 0;
    char16_t m_quote = 0;
    char16_t m_last = 0;
    char16_t m_beforeLast = 0;
    uchar m_start[2] = {};
    int m_nBytes = 0;
    bool m_bWide = false;
    bool m_bBigEndian = false;
    uchar m_half = 0;
    bool m_bHalf = false;
};
