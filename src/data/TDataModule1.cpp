#include "data/TDataModule1.h"

#include "data/BankConnection.h"
#include "data/BankQuery.h"

TDataModule1::TDataModule1(const QString &appPath, QObject *parent)
    : QObject(parent), m_appPath(appPath), m_connection(std::make_unique<BankConnection>()),
      m_query(std::make_unique<BankQuery>(m_connection.get()))
{
    ADOConnection1 = m_connection.get();
    ADOQuery1 = m_query.get();
    ADOConnection1->setFileName(m_appPath + QStringLiteral("question.slg"));
}

// The query goes first, then the connection, which releases the file.
TDataModule1::~TDataModule1()
{
    m_query.reset();
    m_connection.reset();
}

// A failed connect leaves the connection closed; every lookup then tries again.
void TDataModule1::DataModuleCreate()
{
    ADOConnection1->Open();
}
