#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// Where a decimal number must stand in a text: as all of it (blanks around it aside), or at
// its start, followed by anything.
enum class NumberAt { WholeText, Start };

// The decimal number of the text (leading blanks, a sign and a fraction allowed), or nothing.
std::optional<double> decimalNumber(const QString &text, NumberAt where);

// A window whose position and size can be saved and restored, in twips.
class FormWindow
{
public:
    enum State { Normal = 0, Minimised = 1, Maximised = 2 };

    virtual ~FormWindow() = default;
    virtual int WindowState() const = 0;
    virtual void setWindowState(int state) = 0;
    virtual double Left() const = 0;
    virtual double Top() const = 0;
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    virtual void Move(double left, double top, double width, double height) = 0;
};

// The screen a window is placed on, in twips.
struct ScreenTwips
{
    double width = 0;
    double height = 0;
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
};

// One INI file, read and written key by key: set Path, Section and Key, then read or write
// Value. Every call goes to the file; nothing is cached. No member reports an error other
// than through LastReturnCode and Success.
class cInifile
{
public:
    // Texts never assigned are passed on as absent, which differs from empty.
    std::optional<QString> Path() const { return m_path; }
    void setPath(const QString &sPath) { m_path = sPath; }
    std::optional<QString> Section() const { return m_section; }
    void setSection(const QString &sSection) { m_section = sSection; }
    std::optional<QString> Key() const { return m_key; }
    void setKey(const QString &sKey) { m_key = sKey; }
    std::optional<QString> Default() const { return m_default; }
    void setDefault(const QString &sDefault) { m_default = sDefault; }

    // Nonzero when the last write was done.
    std::int32_t LastReturnCode() const { return m_lastReturnCode; }
    bool Success() const { return m_lastReturnCode != 0; }
    // Why the last write failed, in words; empty after a write that was done.
    QString LastErrorText() const { return m_lastError; }

    // The current key's value, at most 254 characters, or the default when it is missing.
    QString Value() const;
    // NUL characters are removed before writing.
    void setValue(const QString &sValue);
    void DeleteKey();
    void DeleteSection();

    // Key names of the current section, or section names of the file, each followed by NUL.
    QString INISection() const;
    QString Sections() const;
    // Entry i of the list is sKey[i - 1]; iCount is the number of entries.
    void EnumerateCurrentSection(QStringList &sKey, std::int32_t &iCount) const;
    void EnumerateAllSections(QStringList &sSections, std::int32_t &iCount) const;

    void SaveFormPosition(const FormWindow &frmThis);
    void LoadFormPosition(FormWindow &frmThis, const ScreenTwips &screen,
        std::int32_t lMinWidth = 3000, std::int32_t lMinHeight = 3000);

    // The text as a 32-bit integer (blanks, a sign and a fraction allowed; the fraction
    // rounds to the nearest, a tie to even), or lDefault when it is none.
    static std::int32_t CLngDefault(const QString &sString, std::int32_t lDefault = 0);

private:
    void write(const std::optional<QString> &key, const std::optional<QString> &value);
    QString readList(bool sectionNames) const;

    std::optional<QString> m_path;
    std::optional<QString> m_key;
    std::optional<QString> m_section;
    std::optional<QString> m_default;
    std::int32_t m_lastReturnCode = 0;
    QString m_lastError;
};
