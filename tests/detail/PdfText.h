#pragma once

#include <QByteArray>
#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QtEndian>

// The texts drawn in a PDF that Qt wrote, one entry per drawn text, in page
// order: the pages' content streams inflated and their glyph ids read back
// through each font's ToUnicode map. Enough for Qt's own output, nothing more.
inline QStringList pdfTexts(const QByteArray& pdf)
{
    const QString doc = QString::fromLatin1(pdf);
    QHash<int, QString> objects;
    static const QRegularExpression object(QStringLiteral(R"((\d+) 0 obj(.*?)endobj)"),
                                           QRegularExpression::DotMatchesEverythingOption);
    for (auto it = object.globalMatch(doc); it.hasNext();) {
        const auto m = it.next();
        objects.insert(m.captured(1).toInt(), m.captured(2));
    }
    const auto ref = [&](const QString& body, const QString& key) {
        const auto m = QRegularExpression(key + QStringLiteral(R"(\s+(\d+) 0 R)")).match(body);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    const auto streamOf = [&](int id) {
        const QString body = objects.value(id);
        const int start = body.indexOf(QLatin1Char('\n'), body.indexOf(QLatin1String("stream"))) + 1;
        QByteArray bytes = body.mid(start, body.lastIndexOf(QLatin1String("endstream")) - start).toLatin1();
        if (!body.contains(QLatin1String("/FlateDecode")))
            return bytes;
        QByteArray sized(4, '\0');
        qToBigEndian<quint32>(quint32(bytes.size()) * 40 + 1024, sized.data());
        return qUncompress(sized + bytes);
    };

    // Font resource name -> glyph id -> character.
    QHash<QString, QHash<int, QChar>> fonts;
    static const QRegularExpression fontRef(QStringLiteral(R"(/(F\d+)\s+(\d+) 0 R)"));
    static const QRegularExpression hex(QStringLiteral("<([0-9A-Fa-f]+)>"));
    for (auto it = fontRef.globalMatch(doc); it.hasNext();) {
        const auto m = it.next();
        const int cmap = ref(objects.value(m.captured(2).toInt()), QStringLiteral("/ToUnicode"));
        if (cmap < 0 || fonts.contains(m.captured(1)))
            continue;
        QHash<int, QChar>& glyphs = fonts[m.captured(1)];
        const QString map = QString::fromLatin1(streamOf(cmap));
        for (const QString& line : map.split(QLatin1Char('\n'))) {
            QList<int> codes;
            for (auto h = hex.globalMatch(line); h.hasNext();)
                codes << h.next().captured(1).toInt(nullptr, 16);
            if (codes.size() < 3 || line.contains(QLatin1String("codespace")))
                continue;
            for (int g = codes[0], i = 2; g <= codes[1] && i < codes.size(); ++g)
                glyphs.insert(g, QChar(line.contains(QLatin1Char('[')) ? codes[i++] : codes[2] + (g - codes[0])));
        }
    }

    QStringList texts;
    for (auto it = object.globalMatch(doc); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(2).contains(QLatin1String("/Type /Page\n")))
            continue;
        const QString content = QString::fromLatin1(streamOf(ref(m.captured(2), QStringLiteral("/Contents"))));
        QString font, text;
        static const QRegularExpression token(QStringLiteral(R"(/(F\d+)\s+[\d.]+\s+Tf|<([0-9A-Fa-f]+)>\s*Tj|\bET\b)"));
        for (auto t = token.globalMatch(content); t.hasNext();) {
            const auto tm = t.next();
            if (!tm.captured(1).isEmpty()) {
                font = tm.captured(1);
            } else if (!tm.captured(2).isEmpty()) {
                for (int i = 0; i + 4 <= tm.captured(2).size(); i += 4) {
                    const QChar c = fonts.value(font).value(tm.captured(2).mid(i, 4).toInt(nullptr, 16));
                    text += c == QLatin1Char('\t') ? QLatin1Char(' ') : c;  // the blank shares the tab's glyph
                }
            } else if (!text.isEmpty()) {
                texts << text;
                text.clear();
            }
        }
    }
    return texts;
}
