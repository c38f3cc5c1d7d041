#include "search/clsExportToFile.h"

#include "app/CallByName.h"
#include "app/ChildForms.h"
#include "app/WindowProc.h"
#include "app/WindowServices.h"
#include "app/clsMessageHandler.h"
#include "app/modapp.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/LocaleText.h"
#include "platform/RowStream.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSaveFile>
#include <QStorageInfo>
#include <QStringEncoder>

#include <algorithm>
#include <vector>

namespace {
constexpr qint32 ErrPathFileAccess = 75;

const char* const ExportSql =
    "SELECT tblSegment.sSegmentLabel as [Segment], tblSegment.dtImportDate as [Import Date], "
    "tblSegment.dtSegmentDate as [Segment Date], tblSegment.dtSegmentTime as [Segment Time], "
    "tblSegment.mNotes as [Segment Notes], tblSegmentType.sSegmentType as [Segment Type], "
    "tblEvent.sEvent as Event, tblCategory.sCategory as Category, tblRateType.sRateType as [Rate Type], "
    "tblSpeedType.sSpeedType as [Speed Type], tblDistanceType.sDistanceType as[Distance Type], "
    "tblSegmentDetail.sSegmentDetailLabel as [Mem], tblSegmentDetail.dCumTime as [Cum Time], "
    "tblSegmentDetail.dRate as [Rate], tblSegmentDetail.dDistance as [Distance], "
    "tblRoster.sLastName as [Athlete Last Name], tblRoster.sFirstName as [Athlete First Name], "
    "tblRoster.sNickName as [Athlete Nick Name], tblSegmentDetail.sComments as [Segment Detail Comments]"
    "FROM ((((((((tblSegment LEFT JOIN tblSegmentDetail ON tblSegment.lSegmentID = tblSegmentDetail.lSegmentID) "
    "LEFT JOIN tblRoster ON tblSegmentDetail.lRosterID = tblRoster.lRosterID) "
    "LEFT JOIN tblSegmentType ON tblSegment.lSegmentTypeID = tblSegmentTYpe.lSegmentTypeID) "
    "LEFT JOIN tblCategory ON tblSegment.lCategoryID = tblCategory.lCategoryID) "
    // A download's segment has no event: it goes out as the list shows it, the placeholder event.
    "LEFT JOIN tblEvent ON COALESCE(tblSegment.lEventID, 1) = tblEvent.lEventID) "
    "LEFT JOIN tblRateType ON tblSegment.lRateTypeID = tblRateType.lRateTypeID) "
    "LEFT JOIN tblSpeedType ON tblSegment.lSpeedTypeID = tblSpeedType.lSpeedTypeID) "
    "LEFT JOIN tblDistanceType ON tblSegment.lDistanceTypeID = tblDistanceType.lDistanceTypeID) ";

// The progress window while the export runs; gone (hidden and closed) with this object.
class ProgressWindow {
public:
    explicit ProgressWindow(const QString& path)
    {
        // Built elsewhere; without it the export runs without one.
        m_form = ChildForms::create(QStringLiteral("frmProgress"));
        if (!m_form)
            return;
        m_form->setWindowTitle(QStringLiteral("Data Export To File"));
        if (auto* label = m_form->findChild<QLabel*>(QStringLiteral("lblStatus"))) {
            label->setText(QStringLiteral("Exporting results to file: ") + QStringLiteral("\r\n") + path);
            label->setStyleSheet(QStringLiteral("color: #00c000;"));
        }
        if (WindowHost* main = WindowServices::host())
            main->ShowChild(m_form);
        else
            m_form->show();
    }
    ~ProgressWindow()
    {
        ignoringErrors([&] {
            if (!m_form)
                return;
            m_form->hide();
            QWidget* frame = m_form->parentWidget();
            if (auto* sub = qobject_cast<QMdiSubWindow*>(frame))
                sub->close();
            else
                m_form->close();
            if (m_form)
                m_form->deleteLater();
        });
    }
    void max(qint32 n)
    {
        if (m_form)
            CallByName::call(m_form.data(), "ProgressBarMax_p", n);
    }
    void value(qint32 n)
    {
        if (m_form)
            CallByName::call(m_form.data(), "progressBarValue_p", n);
    }

private:
    QPointer<QWidget> m_form;
};

// The user's regional forms of the values, looked up once for a whole file.
class ValueFormat {
public:
    ValueFormat() : m_date(LocaleText::dateFormat(m_loc)) { m_loc.setNumberOptions(QLocale::OmitGroupSeparator); }

    QString date(const QDate& d) const { return m_loc.toString(d, m_date); }

    QString text(const Value& v) const
    {
        switch (v.kind()) {
        case Value::Kind::Empty:
        case Value::Kind::Null: return {};
        case Value::Kind::Boolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case Value::Kind::Long: return m_loc.toString(v.toLong());
        case Value::Kind::Double: return Value::generalNumber(v.toDouble());
        case Value::Kind::Date: return date(v.toDate());
        case Value::Kind::Time: return m_loc.toString(v.toTime(), m_time);
        case Value::Kind::DateTime: {
            const QDateTime dt = v.toDateTime();
            return date(dt.date()) + QLatin1Char(' ') + m_loc.toString(dt.time(), m_time);
        }
        case Value::Kind::Text: break;
        }
        QString text = v.asText();
        const auto breaksLine = [](QChar c) {
            return c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
        };
        // Most texts hold none: those are not copied.
        if (std::any_of(text.cbegin(), text.cend(), breaksLine))
            std::replace_if(text.begin(), text.end(), breaksLine, QLatin1Char(' '));
        return text;
    }

private:
    QLocale m_loc;
    QString m_date;
    // A spreadsheet of the user's locale reads it back as a time.
    QString m_time = LocaleText::fileTimeFormat(m_loc);
};

// The texts of one line's values. A segment's fields repeat on each of its
// rows, and a row's often repeat the row before: a value equal to its
// column's last one reuses that text.
class LineFormat {
public:
    explicit LineFormat(int columns) : m_last(size_t(columns)) {}
    void append(QString& line, int column, Value&& v)
    {
        Last& last = m_last[size_t(column)];
        if (!last.known || !Value::identical(v, last.value)) {
            last.text = m_format.text(v);
            last.value = std::move(v);
            last.known = true;
        }
        line += last.text;
        line += QLatin1Char('\t');
    }

private:
    struct Last {
        bool known = false;
        Value value;
        QString text;
    };
    ValueFormat m_format;
    std::vector<Last> m_last;
};

// A write the file refused: a disk without room for what was still to go
// is said in words; the file under the name is untouched either way.
[[noreturn]] void notWritten(const QSaveFile& file, qint64 needed)
{
    const QStorageInfo disk(QFileInfo(file.fileName()).absolutePath());
    if (file.error() == QFileDevice::ResourceError || (disk.isValid() && disk.bytesAvailable() < needed))
        throw AppError(clsExportToFile::ErrDiskFull,
                       WindowServices::text(4273,
                                            QStringLiteral("The export was not written: the disk has no room left "
                                                           "for |. A file that was there under that name is kept as "
                                                           "it was. Make room on the disk or choose another place, "
                                                           "then export again."),
                                            Value(QDir::toNativeSeparators(file.fileName()))));
    throw AppError(ErrPathFileAccess, QStringLiteral("Path/File access error: ") + file.errorString());
}

// The file's text goes out in pieces of about this many characters.
constexpr qsizetype WriteChunk = 1 << 16;
// The progress bar moves no more often than this: each move repaints.
constexpr qint64 ProgressIntervalMs = 100;

// The header line and a line for each row, each value followed by a tab and
// each line by CR LF, in the system's encoding.
void writeLines(RowStream& rows, QSaveFile& file, qint32 count, ProgressWindow& progress)
{
    QStringEncoder encode(QStringConverter::System);
    const auto put = [&](const QString& chunk) {
        const QByteArray bytes = encode(chunk);
        if (const qint64 n = file.write(bytes); n != bytes.size())
            notWritten(file, bytes.size() - std::max<qint64>(n, 0));
    };
    const int fields = rows.FieldCount();
    LineFormat format(fields);
    QString text;
    text.reserve(WriteChunk + 4096);
    for (const QString& name : rows.FieldNames())
        text += name + QLatin1Char('\t');
    text += QStringLiteral("\r\n");

    QElapsedTimer sinceShown;
    sinceShown.start();
    qint32 written = 0;
    while (rows.next()) {
        written = std::min(written + 1, count);
        if (sinceShown.elapsed() >= ProgressIntervalMs) {
            progress.value(written);
            sinceShown.restart();
        }
        for (int i = 0; i < fields; ++i)
            format.append(text, i, rows.value(i));
        text += QStringLiteral("\r\n");
        if (text.size() >= WriteChunk) {
            put(text);
            text.resize(0);  // keeps its room for the next piece
        }
    }
    put(text);
    // The last piece may still wait in the file's buffer: its fault is said here,
    // while the part written so far still takes its room on the disk.
    if (!file.flush())
        notWritten(file, 1);
    progress.value(written);
}

// How many lines the statement of these segments gives: one per row, one for
// a segment without rows (the other tables join by their keys).
qint32 lineCount(Connection& conn, const QString& ids)
{
    RowStream count(conn,
                    QStringLiteral("SELECT count(*) FROM tblSegment LEFT JOIN tblSegmentDetail ON "
                                   "tblSegment.lSegmentID = tblSegmentDetail.lSegmentID WHERE "
                                   "tblSegment.lSegmentID IN (")
                        + ids + QLatin1Char(')'));
    return count.next() ? count.value(0).toLong() : 0;
}
}  // namespace

QString clsExportToFile::Statement_ps(const QString& ids)
{
    // Each segment's rows in the watch's order: the file has no column that
    // would let anyone restore it.
    return QLatin1String(ExportSql) + QStringLiteral(" WHERE tblSegment.lSegmentID IN (") + ids
        + QStringLiteral(") ORDER BY tblSegment.lSegmentID, tblSegmentDetail.lOrdinalPosition, "
                         "tblSegmentDetail.lSegmentDetailID");
}

// Each date cell the list paints comes here: no time form is looked up for it.
QString clsExportToFile::ShortDate_gs(const QDate& d) { return LocaleText::date(d); }

bool clsExportToFile::isSaidInWords(qint32 number) { return number == ErrDiskFull || number == ErrNo::NoCurrentRecord; }

QString clsExportToFile::ValueText_gs(const Value& v) { return ValueFormat().text(v); }

void clsExportToFile::Segments_p(Connection* conn, const QString& ids)
{
    m_conn = conn;
    m_ids = ids;
}

void clsExportToFile::Export_p(const QString& path)
{
    try {
        writeAll(path);
    } catch (const AppError& e) {
        throw e.withSource(QStringLiteral("clsExportToFile.Export_p"));
    }
}

void clsExportToFile::writeAll(const QString& path)
{
    if (!m_conn || !m_conn->IsOpen())
        throw AppError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
    // An empty export must not cost the user an existing file: count first.
    const qint32 count = m_ids.isEmpty() ? 0 : lineCount(*m_conn, m_ids);
    if (count <= 0)
        throw AppError(ErrNo::NoCurrentRecord,
                       WindowServices::text(4274,
                                            QStringLiteral("There is nothing to export: the segments selected "
                                                           "were deleted after the list was made. No file was "
                                                           "written. Search again to bring the list up to date.")));

    // Written beside the target and renamed over it at the end, so a failure
    // leaves the old file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError(ErrPathFileAccess, QStringLiteral("Path/File access error: ") + file.errorString());
    ProgressWindow progress(path);
    progress.max(count);
    {
        // Read as written, never held all at once: every segment would be gigabytes.
        RowStream rows(*m_conn, Statement_ps(m_ids));
        writeLines(rows, file, count, progress);
    }
    if (!file.commit())
        notWritten(file, 1);

    m_conn = nullptr;
    // The progress window stays up until the user has read this.
    if (clsMessageHandler* messages = modapp::MessageHandler())
        messages->ShowMessage_gl(QStringLiteral("Data export to file '") + path + QStringLiteral("' is complete"), 64);
}
