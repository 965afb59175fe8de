#pragma once
// INI files as the program reads and writes them: the settings file and the
// .cfg configuration files. Section and key names compare case-insensitively,
// sections and keys keep their file order (new ones go to the end), values
// are kept literally and written as key=value.
#include <QString>
#include <QStringList>
#include <memory>

namespace vm {

class IniFile {
public:
    IniFile();
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Replaces the contents with the file's. A missing file gives an empty
    // INI and counts as success; a file that exists but cannot be read or
    // parsed leaves the INI empty and returns false.
    bool Load(const QString& path, QString* error = nullptr);
    bool LoadFromText(const QByteArray& text);
    // Writes the whole INI to path through a temporary file that replaces the
    // old one only when complete: on failure the old file stays as it was.
    bool Save(const QString& path, QString* error = nullptr) const;
    QByteArray ToText() const;

    void Clear();

    QString ReadString(const QString& section, const QString& key, const QString& def = {}) const;
    // Decimal, or hexadecimal with 0x; anything else gives def.
    int ReadInteger(const QString& section, const QString& key, int def = 0) const;
    // "1"/"true" and "0"/"false" in any case; anything else gives def.
    bool ReadBool(const QString& section, const QString& key, bool def = false) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value); // "1" / "0"

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList SectionNames() const;                     // file order
    QStringList KeyNames(const QString& section) const;   // file order
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& key);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace vm
