#include "data/BankConnection.h"

#include "base/AppError.h"
#include "data/BankSchema.h"
#include "data/QuestionBatchQueue.h"
#include "jet/JetDatabase.h"
#include "platform/FreeHeapMemory.h"
#include "search/LooseText.h"
#include "search/TextFold.h"

#include <exception>
#include <thread>

namespace {

constexpr int kTextType = 10;
// Batches small enough to stay in the cache between the two threads, enough of them that
// neither waits for the other over an uneven stretch of rows.
constexpr qsizetype kRowsPerBatch = 1024;
constexpr int kBatchesInFlight = 8;

// Thrown inside the walk over the rows when the building thread has failed: its failure is the
// one reported.
struct BuildingStopped {};

// Reads the rows of the bank table in storage order. A file without the table or one of the
// four columns is still a working connection, the lookup then reports what is missing; a
// question column that cannot be searched, or values that are not what their columns claim,
// fail the connect.
std::unique_ptr<QuestionTable::Builder> readQuestions(const JetDatabase &db, const QString &path,
                                                      QString *schemaError)
{
    const QString table = BankSchema::tableName();
    if (!db.hasTable(table)) {
        *schemaError = QStringLiteral("Cannot find the table \"%1\" in \"%2\"").arg(table, path);
        return nullptr;
    }
    const QVector<JetColumn> columns = db.columns(table);
    std::array<int, 4> at{};
    try {
        at = BankSchema::locateColumns(columns);
    } catch (const AppError &missingColumn) {
        *schemaError = missingColumn.message();
        return nullptr;
    }
    if (const QString problem = BankSchema::typeProblem(columns, at); !problem.isEmpty())
        throw AppError(QStringLiteral("The table \"%1\" in \"%2\" cannot be searched: %3")
                           .arg(table, path, problem));
    auto builder = std::make_unique<QuestionTable::Builder>();
    // Folding and packing the rows takes longer than reading them, so the rows are built into
    // the table on a second thread while the file is read on this one; this one also makes each
    // question's folded and loose forms, which keeps the two threads about as busy.
    QuestionBatchQueue queue(kBatchesInFlight);
    std::exception_ptr buildFailure;
    std::thread building([&] {
        try {
            while (std::unique_ptr<QuestionBatch> batch = queue.takeFull()) {
                for (qsizetype r = 0; r < batch->rows(); ++r) {
                    builder->appendForms(batch->field(r, QuestionBatch::Subject),
                                         batch->field(r, QuestionBatch::Text),
                                         batch->field(r, QuestionBatch::Options),
                                         batch->field(r, QuestionBatch::Answer),
                                         batch->field(r, QuestionBatch::Folded),
                                         batch->field(r, QuestionBatch::Loose));
                }
                queue.giveBack(std::move(batch));
            }
        } catch (...) {
            buildFailure = std::current_exception();
            queue.abandon();
        }
    });
    std::exception_ptr readFailure;
    try {
        std::unique_ptr<QuestionBatch> batch = queue.takeEmpty();
        qsizetype rowNumber = 0;
        db.forEachRow(table, [&](const JetRow &row) {
            ++rowNumber;
            // Text holds no NUL: one there means the bytes are something else, as when a
            // memo's header is read through a column that claims to be Text, and must not be
            // shown.
            for (const int c : at) {
                if (columns[c].type == kTextType && row[c].text.contains(QChar(0)))
                    throw AppError(QStringLiteral("The database file \"%1\" is damaged: the value "
                                                  "of column \"%2\" in row %3 of table \"%4\" "
                                                  "is not text")
                                       .arg(path, columns[c].name)
                                       .arg(rowNumber)
                                       .arg(table));
            }
            if (!batch)
                throw BuildingStopped();
            // The question's two forms are made here: the building thread has more to do.
            const QString &text = row[at[1]].text;
            batch->add({row[at[0]].text, text, row[at[2]].text, row[at[3]].text, foldText(text),
                        looseText(text)});
            if (batch->rows() == kRowsPerBatch) {
                queue.pushFull(std::move(batch));
                batch = queue.takeEmpty();
            }
        });
        if (batch && batch->rows() > 0)
            queue.pushFull(std::move(batch));
    } catch (...) {
        readFailure = std::current_exception();
    }
    queue.finish();
    building.join();
    // A failed builder made the reader stop: the builder's failure is the cause.
    if (buildFailure)
        std::rethrow_exception(buildFailure);
    if (readFailure)
        std::rethrow_exception(readFailure);
    return builder;
}

} // namespace

BankConnection::BankConnection() = default;
BankConnection::~BankConnection() = default;

void BankConnection::Open()
{
    if (m_open)
        return;
    std::unique_ptr<JetDatabase> db = JetDatabase::open(m_path);
    if (db->databasePassword() != QStringView(kPassword))
        throw AppError(QStringLiteral("Not a valid password for the database \"%1\"").arg(m_path));

    QString schemaError;
    std::unique_ptr<QuestionTable::Builder> rows = readQuestions(*db, m_path, &schemaError);

    // The rows now live in memory, so libmdb and its copy of the file go before the index is
    // built, which is when the load needs the most memory; the file itself is held open for as
    // long as the connection is.
    db.reset();
    std::unique_ptr<QuestionTable> table;
    if (rows)
        table = std::make_unique<QuestionTable>(rows->build());
    rows.reset();
    // What building the table used and freed would otherwise stay with the process.
    releaseFreeHeapMemory();
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::ReadOnly))
        throw AppError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(m_path, m_file.errorString()));
    m_table = std::move(table);
    m_schemaError = schemaError;
    m_open = true;
}

void BankConnection::Close()
{
    m_open = false;
    m_table.reset();
    m_schemaError.clear();
    m_file.close();
}
