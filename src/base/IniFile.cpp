#include "base/IniFile.h"

#include "base/AppError.h"
#include "base/IniNumber.h"
#include "base/IniText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

namespace {

constexpr qsizetype kMaxValueLength = 2047;

// The file's bytes and the form of its text. A file that starts with the UTF-16 little-endian
// byte-order mark is UTF-16 text, as the Windows profile functions read it; any other file is
// 8-bit text, one character per byte, so that lines the program does not touch are written back
// byte for byte: a comment in another code page (say GBK, typed on a Chinese Windows) is not
// valid UTF-8 and would otherwise come back as replacement characters. Names and values the
// program reads and writes are ASCII.
struct IniContent {
    QByteArray bytes;
    bool utf16 = false;
};

constexpr char kUtf16Mark[] = "\xFF\xFE";

IniContent classify(QByteArray bytes)
{
    IniContent content;
    content.utf16 = bytes.startsWith(QByteArrayView(kUtf16Mark, 2));
    content.bytes = std::move(bytes);
    return content;
}

// The UTF-16 text after the mark; an odd last byte is no character and is left out.
QString utf16Text(const QByteArray &bytes)
{
    const qsizetype units = (bytes.size() - 2) / 2;
    QString text(units, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.constData() + 2, units, text.data());
    return text;
}

QByteArray utf16Bytes(const QString &text, const QByteArray &old)
{
    QByteArray bytes(2 + 2 * text.size(), Qt::Uninitialized);
    bytes[0] = kUtf16Mark[0];
    bytes[1] = kUtf16Mark[1];
    qToLittleEndian<char16_t>(text.constData(), text.size(), bytes.data() + 2);
    if (old.size() % 2 == 1)
        bytes.append(old.back()); // the odd byte stays where it was, at the end
    return bytes;
}

QString unquoted(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.left(kMaxValueLength);
}

// Rewrites the file where it stands, for a folder that refuses a new file beside it. The part
// beyond the old length is written first: when the disk cannot hold it the file is cut back and
// stays as it was. Only then is the old part overwritten, in space the file already has.
bool writeInPlace(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    const qint64 oldSize = file.size();
    if (bytes.size() > oldSize) {
        const qint64 grow = bytes.size() - oldSize;
        if (!file.seek(oldSize) || file.write(bytes.constData() + oldSize, grow) != grow) {
            file.resize(oldSize);
            return false;
        }
    }
    const qint64 head = qMin<qint64>(oldSize, bytes.size());
    if (!file.seek(0) || file.write(bytes.constData(), head) != head)
        return false;
    return file.resize(bytes.size());
}

} // namespace

IniFile::IniFile(const QString &path) : m_path(path) {}

QString IniFile::readString(const QString &section, const QString &key) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const IniContent content = classify(file.readAll());
    const std::optional<QString> value =
        content.utf16 ? IniText::find(QStringView(utf16Text(content.bytes)), section, key)
                      : IniText::find(QLatin1StringView(content.bytes), section, key);
    return value ? unquoted(*value) : QString();
}

bool IniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    const auto number = parseIniInteger(readString(section, key));
    return number ? *number != 0 : defaultValue;
}

void IniFile::WriteBool(const QString &section, const QString &key, bool value) const
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value) const
{
    const QString unableToWrite = QStringLiteral("Unable to write to %1").arg(m_path);
    // Replacing through a rename would succeed over a read-only file in a writable folder;
    // the file's own write protection must still be honoured.
    // The owner's write bit is checked as well, so that the read-only mark holds even for root.
    const QFileInfo info(m_path);
    if (info.exists() && (!info.isFile() || !info.isWritable() ||
                          !info.permissions().testFlag(QFileDevice::WriteOwner)))
        throw AppError(unableToWrite);

    // A file that is there but cannot be read would be rebuilt from nothing, losing every
    // other section and key in it: that is a failed write, not an empty file.
    IniContent content;
    if (info.exists()) {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            throw AppError(unableToWrite);
        content = classify(file.readAll());
        if (file.error() != QFileDevice::NoError)
            throw AppError(unableToWrite);
    }
    const QByteArray bytes =
        content.utf16 ? utf16Bytes(IniText::withValue(QStringView(utf16Text(content.bytes)),
                                                      section, key, value),
                                   content.bytes)
                      : IniText::withValue(QLatin1StringView(content.bytes), section, key, value);
    content.bytes.clear();

    // Write beside the old file and rename over it: a crash or a full disk mid-write leaves
    // either the complete old content or the complete new one, never a truncated file. A folder
    // that refuses the new file may still let the file itself be changed, as the Windows
    // profile functions would; then the file is rewritten where it stands.
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly)) {
        if (info.exists() && writeInPlace(m_path, bytes))
            return;
        throw AppError(unableToWrite);
    }
    if (out.write(bytes) != bytes.size() || !out.commit())
        throw AppError(unableToWrite);
    if (info.exists())
        QFile::setPermissions(m_path, info.permissions());
}
