#include "search/clsExportToFile.h"

#include "app/CallByName.h"
#include "app/ChildForms.h"
#include "app/WindowProc.h"
#include "app/WindowServices.h"
#include "app/clsMessageHandler.h"
#include "app/modapp.h"
#include "platform/AppError.h"
#include "platform/Recordset.h"

#include <QLabel>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringEncoder>

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

QString timeText(const QTime& t, const QLocale& loc)
{
    // Qt's long time carries a time-zone part the file has no use for.
    QString format = loc.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return loc.toString(t, format.trimmed());
}
}  // namespace

QString clsExportToFile::Statement_ps(const QString& ids)
{
    return QLatin1String(ExportSql) + QStringLiteral(" WHERE tblSegment.lSegmentID IN (") + ids + QLatin1Char(')');
}

QString clsExportToFile::ShortDate_gs(const QDate& d)
{
    const QLocale loc;
    QString format = loc.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return loc.toString(d, format);
}

QString clsExportToFile::ValueText_gs(const Value& v)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text;
    switch (v.kind()) {
    case Value::Kind::Empty:
    case Value::Kind::Null: return {};
    case Value::Kind::Boolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Value::Kind::Long: return loc.toString(v.toLong());
    case Value::Kind::Double: return Value::generalNumber(v.toDouble());
    case Value::Kind::Date: return ShortDate_gs(v.toDate());
    case Value::Kind::Time: return timeText(v.toTime(), loc);
    case Value::Kind::DateTime: {
        const QDateTime dt = v.toDateTime();
        return ShortDate_gs(dt.date()) + QLatin1Char(' ') + timeText(dt.time(), loc);
    }
    case Value::Kind::Text: text = v.asText(); break;
    }
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return text;
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
    if (!m_rs || !m_rs->IsOpen())
        throw AppError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
    // An empty export must not cost the user an existing file: count first.
    const qint32 count = m_rs->RecordCount();
    if (count <= 0)
        throw AppError(ErrNo::NoCurrentRecord, AppError::standardDescription(ErrNo::NoCurrentRecord));

    // Written beside the target and renamed over it at the end, so a failure
    // leaves the old file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError(ErrPathFileAccess, QStringLiteral("Path/File access error: ") + file.errorString());
    QStringEncoder encode(QStringConverter::System);
    const auto put = [&](const QString& line) {
        const QByteArray bytes = encode(line);
        if (file.write(bytes) != bytes.size())
            throw AppError(ErrPathFileAccess, QStringLiteral("Path/File access error: ") + file.errorString());
    };

    ProgressWindow progress(path);
    m_rs->MoveLast();
    m_rs->MoveFirst();
    progress.max(count);

    const int fields = m_rs->FieldCount();
    QString line;
    for (int i = 0; i < fields; ++i)
        line += m_rs->Fields(i).Name() + QLatin1Char('\t');
    put(line + QStringLiteral("\r\n"));

    while (!m_rs->IsEOF()) {
        line.clear();
        progress.value(m_rs->AbsolutePosition());
        for (int i = 0; i < fields; ++i)
            line += ValueText_gs(m_rs->Fields(i).Value()) + QLatin1Char('\t');
        put(line + QStringLiteral("\r\n"));
        m_rs->MoveNext();
    }
    if (!file.commit())
        throw AppError(ErrPathFileAccess, QStringLiteral("Path/File access error: ") + file.errorString());

    m_rs = nullptr;
    // The progress window stays up until the user has read this.
    if (clsMessageHandler* messages = modapp::MessageHandler())
        messages->ShowMessage_gl(QStringLiteral("Data export to file '") + path + QStringLiteral("' is complete"), 64);
}
