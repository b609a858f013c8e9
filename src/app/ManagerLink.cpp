#include "app/ManagerLink.h"

#include "platform/data/DbManager.h"
#include "platform/env/DBDirMng.h"
#include "settings/db/DbSession.h"

CDbManagerLink::CDbManagerLink(CMakeMsgID& data) : m_data(data) {}

CDbManagerLink::~CDbManagerLink() = default;

bool CDbManagerLink::Start()
{
    if (!m_pManager)
        m_pManager = std::make_unique<CDbManager>(m_data);
    return true;
}

int CDbManagerLink::Register()
{
    return m_pManager ? m_pManager->Register() : 0;
}

int CDbManagerLink::Connect(int id)
{
    m_strConnectError.clear();
    if (!m_pManager)
        return CDbManager::kUnknownId;
    QString name, folder;
    CDBDirMng().GetNowDB(name, folder);
    return m_pManager->Connect(id, folder, m_strConnectError);
}

int CDbManagerLink::Release(int id)
{
    return m_pManager ? m_pManager->Release(id) : CDbManager::kUnknownId;
}

int CDbManagerLink::Unregister(int id)
{
    return m_pManager ? m_pManager->Unregister(id) : CDbManager::kUnknownId;
}

bool CDbManagerLink::IsConnected() const
{
    return m_pManager && m_pManager->IsConnected();
}

void CDbManagerLink::SetCloseOrderHandler(std::function<void()> handler)
{
    if (m_pManager)
        m_pManager->SetCloseOrderHandler(std::move(handler));
}

QString ConnectFailureText(int answer)
{
    switch (answer) {
    case CDbManager::kOtherUsers:
        return QStringLiteral("接続済みのデータベースと異なるデータベースに接続しようとしています。\n");
    case CDbManager::kOtherProcess:
        return DatabaseInUseText(QStringLiteral("起動")) + u'\n';
    case CDbManager::kNoDatabase:
        return QStringLiteral("接続すべきデータベースフォルダが不明です。\n");
    case CDbManager::kUnknownId:
        return QStringLiteral("識別IDが登録されていません。\n");
    case CDbManager::kCannotOpen:
    case CDbManager::kFailed:
        return QStringLiteral("データベースへの接続に失敗しました。\n");
    default:
        return QStringLiteral("何らかの原因でデータベースとの接続に失敗しました。\n");
    }
}
