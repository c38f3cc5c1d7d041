#pragma once

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <QtEndian>

// The texts drawn in a PDF that Qt wrote, one entry per drawn text, page by
// page: content streams inflated, glyph ids read back through each font's
// ToUnicode map (Qt names a font after its object: /F7 is object 7).
inline QStringList pdfTexts(const QByteArray& pdf)
{
    using RE = QRegularExpression;
    QMap<int, QString> objects;  // by number: the pages in order
    static const RE object(QStringLiteral(R"((\d+) 0 obj(.*?)endobj)"), RE::DotMatchesEverythingOption);
    for (auto it = object.globalMatch(QString::fromLatin1(pdf)); it.hasNext();) {
        const auto m = it.next();
        objects.insert(m.captured(1).toInt(), m.captured(2));
    }
    const auto ref = [&](int id, const QString& key) {
        const auto m = RE(key + QStringLiteral(R"(\s+(\d+) 0 R)")).match(objects.value(id));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    const auto stream = [&](int id) {
        const QString body = objects.value(id);
        const int start = body.indexOf(QLatin1Char('\n'), body.indexOf(QLatin1String("stream"))) + 1;
        const QByteArray bytes = body.mid(start, body.lastIndexOf(QLatin1String("endstream")) - start).toLatin1();
        QByteArray sized(4, '\0');
        qToBigEndian<quint32>(quint32(bytes.size()) * 40 + 1024, sized.data());
        return QString::fromLatin1(body.contains(QLatin1String("/FlateDecode")) ? qUncompress(sized + bytes) : bytes);
    };
    static const RE hex(QStringLiteral("<([0-9A-Fa-f]+)>"));
    const auto glyphsOf = [&](int font) {
        QHash<int, QChar> glyphs;  // from "<first> <last> <char>" or "<first> <last> [<char> ...]"
        for (const QString& line : stream(ref(font, QStringLiteral("/ToUnicode"))).split(QLatin1Char('\n'))) {
            QList<int> c;
            for (auto h = hex.globalMatch(line); h.hasNext();)
                c << h.next().captured(1).toInt(nullptr, 16);
            for (int g = c.value(0), i = 2; c.size() > 2 && g <= c[1] && i < c.size(); ++g)
                glyphs.insert(g, QChar(line.contains(QLatin1Char('[')) ? c[i++] : c[2] + g - c[0]));
        }
        return glyphs;
    };
    QStringList texts;
    static const RE token(QStringLiteral(R"(/F(\d+)\s+[\d.]+\s+Tf|<([0-9A-Fa-f]+)>\s*Tj|\bET\b)"));
    for (auto page = objects.cbegin(); page != objects.cend(); ++page) {
        if (!page.value().contains(QLatin1String("/Type /Page\n")))
            continue;
        QHash<int, QChar> glyphs;
        QString text;
        for (auto t = token.globalMatch(stream(ref(page.key(), QStringLiteral("/Contents")))); t.hasNext();) {
            const auto m = t.next();
            if (!m.captured(1).isEmpty())
                glyphs = glyphsOf(m.captured(1).toInt());
            for (int i = 0; i + 4 <= m.captured(2).size(); i += 4) {
                const QChar c = glyphs.value(m.captured(2).mid(i, 4).toInt(nullptr, 16));
                text += c == QLatin1Char('\t') ? QLatin1Char(' ') : c;  // the blank shares the tab's glyph
            }
            if (m.captured(0) == QLatin1String("ET") && !text.isEmpty())
                texts << std::exchange(text, QString());
        }
    }
    return texts;
}
