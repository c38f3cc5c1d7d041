#include "app/clsStrings.h"

#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/ProfileFile.h"
#include "platform/Recordset.h"

namespace {
const QString Bar = QStringLiteral("|");
}

QString clsStrings::readSetting(qint32 id, const QString& defaultText) const
{
    if (!m_connection)
        return defaultText;
    try {
        std::unique_ptr<Recordset> rs;
        const qint32 count = m_connection->SQLOpenRecordset_pl(
            rs, QStringLiteral("SELECT * FROM tblSysStrings WHERE lStringID = %1").arg(id),
            clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
        if (count <= 0 || rs->IsEOF())
            return defaultText;
        return rs->Fields(QStringLiteral("sString")).Value().asText();
    } catch (...) {
        // Settings are read before anything could report a failure; the
        // caller's default keeps the program going.
        return defaultText;
    }
}

QString clsStrings::fillOne(const QString& text, const Value& tag)
{
    if (!text.contains(Bar))
        return text;
    QString out = text;
    return out.replace(Bar, tag.asText(), Qt::CaseInsensitive);
}

QString clsStrings::fillList(const QString& text, const QList<Value>& tags)
{
    if (!text.contains(Bar))
        return text;
    return StringReplaceTags_gs(text, Bar, tags);
}

QString clsStrings::keyOf(const Value& id)
{
    switch (id.kind()) {
    case Value::Kind::Long:
    case Value::Kind::Boolean: return QString::number(id.toLong());
    case Value::Kind::Double: return QString::number(id.toDouble(), 'g', 15);
    default: return id.asText();
    }
}

QString clsStrings::SysStringFromID_pf(qint32 id, const QString& defaultText) const
{
    return readSetting(id, defaultText);
}

QString clsStrings::SysStringFromID_pf(qint32 id, const QString& defaultText, const Value& tag) const
{
    return fillOne(readSetting(id, defaultText), tag);
}

QString clsStrings::SysStringFromID_pf(qint32 id, const QString& defaultText, const QList<Value>& tags) const
{
    return fillList(readSetting(id, defaultText), tags);
}

bool clsStrings::SysStringToID_pf(qint32 id, const QString& text)
{
    if (!m_connection)
        return false;
    try {
        // Bound, so the text is stored exactly as given, quotes and all.
        return m_connection->SQLExecute_pl(QStringLiteral("UPDATE tblSysStrings SET sString = ? WHERE lStringID = ?"),
                                           {Value(text), Value(int(id))})
            >= 0;
    } catch (...) {
        return false;
    }
}

QString clsStrings::IniStringFromID_pf(const QString& file, const QString& section, const Value& id,
                                       const QString& defaultText) const
{
    try {
        return GetIniString_gs(file, section, keyOf(id), defaultText);
    } catch (...) {
        return defaultText;
    }
}

QString clsStrings::IniStringFromID_pf(const QString& file, const QString& section, const Value& id,
                                       const QString& defaultText, const Value& tag) const
{
    return fillOne(IniStringFromID_pf(file, section, id, defaultText), tag);
}

QString clsStrings::IniStringFromID_pf(const QString& file, const QString& section, const Value& id,
                                       const QString& defaultText, const QList<Value>& tags) const
{
    return fillList(IniStringFromID_pf(file, section, id, defaultText), tags);
}

QString clsStrings::StringReplaceTags_gs(const QString& text, const QString& tag, const QList<Value>& tags)
{
    if (tags.isEmpty() || tag.isEmpty())
        return text;
    QString result;
    QString rest = text;
    for (const Value& t : tags) {
        const int at = rest.indexOf(tag, 0, Qt::CaseInsensitive);
        if (at < 0)
            break;
        result += rest.left(at) + t.asText();
        // The tag counts as one character, however long it is.
        rest = rest.mid(at + 1);
    }
    return result + rest;
}

QString clsStrings::GetIniString_gs(const QString& file, const QString& section, const QString& key,
                                    const QString& defaultText)
{
    // No file named yet (start-up has not read the setting): nothing to ask.
    if (file.isEmpty())
        return defaultText;
    QString value = ProfileFile::readString(file, section, key, defaultText);
    const int nul = value.indexOf(QChar(0));
    if (nul >= 0)
        value.truncate(nul);
    return value;
}

QString clsStrings::GetPathName_gs(const QString& path)
{
    const int at = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (at < 0)
        throw AppError(ErrNo::InvalidCall, {});
    return path.left(at + 1);
}
