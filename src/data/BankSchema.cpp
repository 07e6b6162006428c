#include "data/BankSchema.h"

#include "base/AppError.h"
#include "jet/JetTypeName.h"

QString BankSchema::tableName()
{
    return QStringLiteral("问题");
}

const std::array<QString, 4> &BankSchema::columnNames()
{
    static const std::array<QString, 4> names = {QStringLiteral("科目"), QStringLiteral("题目内容"),
                                                 QStringLiteral("选项"),
                                                 QStringLiteral("标准答案")};
    return names;
}

std::array<int, 4> BankSchema::locateColumns(const QVector<JetColumn> &columns)
{
    std::array<int, 4> at{};
    for (std::size_t c = 0; c < columnNames().size(); ++c) {
        at[c] = -1;
        for (int i = 0; i < columns.size(); ++i) {
            // Jet matches column names without regard to case.
            if (columns[i].name.compare(columnNames()[c], Qt::CaseInsensitive) == 0)
                at[c] = i;
        }
        if (at[c] < 0)
            throw AppError(QStringLiteral("ADOQuery1: Field '%1' not found").arg(columnNames()[c]));
    }
    return at;
}

QString BankSchema::typeProblem(const QVector<JetColumn> &columns, const std::array<int, 4> &at)
{
    constexpr int kText = 10;
    constexpr int kMemo = 12;
    const JetColumn &question = columns[at[1]];
    if (question.type == kMemo || question.type == kText)
        return QString();
    return QStringLiteral("column \"%1\" is of type %2, not Memo")
        .arg(question.name, jetTypeName(question.type));
}
