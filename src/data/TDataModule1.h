#pragma once

#include <QObject>
#include <memory>

class BankConnection;
class BankQuery;

// The data module: owns the connection to the unpacked bank and the query the lookup runs.
class TDataModule1 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule1(const QString &appPath, QObject *parent = nullptr);
    ~TDataModule1() override;

    // Creation handler: connects to AppPath + "question.slg". Throws AppError on failure.
    void DataModuleCreate();

    BankConnection *ADOConnection1;
    BankQuery *ADOQuery1;

private:
    QString m_appPath;
    std::unique_ptr<BankConnection> m_connection;
    std::unique_ptr<BankQuery> m_query;
};
