#pragma once

#include <QString>

// The settings object: it holds only the path. Every read goes to the file, every write
// rewrites it, so nothing is cached between the start-up read and the exit write. A UTF-16
// file (with its byte-order mark) is read and written as UTF-16, any other as 8-bit text.
class IniFile {
public:
    explicit IniFile(const QString &path);
    // Releasing flushes; the file is never held open, so there is nothing left to flush.
    ~IniFile() = default;

    const QString &fileName() const { return m_path; }
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;
    // Throws AppError("Unable to write to <path>") when the file cannot be written, or exists
    // but cannot be read (rewriting it would lose what it holds).
    void WriteBool(const QString &section, const QString &key, bool value) const;

    // Raw value of a key (section and key matched without regard to case), as the profile
    // functions return it: trimmed, one pair of enclosing quotes removed, at most 2047 chars.
    QString readString(const QString &section, const QString &key) const;
    void writeString(const QString &section, const QString &key, const QString &value) const;

private:
    QString m_path;
};
