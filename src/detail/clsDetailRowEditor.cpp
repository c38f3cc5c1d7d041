#include "detail/clsDetailRowEditor.h"

#include "app/WindowServices.h"
#include "app/clsHourglass.h"
#include "app/clsLibrary.h"
#include "app/clsStrings.h"
#include "detail/DetailCalculation.h"
#include "detail/DetailText.h"
#include "detail/clsSegmentDocument.h"
#include "detail/clsSegmentRows.h"
#include "platform/DataGrid.h"
#include "platform/LocaleInfo.h"
#include "platform/LocaleText.h"
#include "platform/Recordset.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolTip>

#include <cmath>
#include <limits>

using Col = clsSegmentRows::Column;
using WindowServices::showMessage;
using WindowServices::StatusCleared;
using WindowServices::sysCmd;

namespace {
const char* const Module = "frmSegmentDetail";
const QString Crlf = QStringLiteral("\r\n");

// The number after a label's kind letter, when the rest is all digits.
std::optional<qint64> labelNumber(const QString& label)
{
    if (label.size() < 2 || label.size() > 19)
        return std::nullopt;
    for (int i = 1; i < label.size(); ++i)
        if (label.at(i) < QLatin1Char('0') || label.at(i) > QLatin1Char('9'))
            return std::nullopt;
    return label.mid(1).toLongLong();
}

// What a typed number may be, in the unit the cell shows: the stored value
// and all worked out from it stay numbers the grid can show.
constexpr double MaxCumSeconds = 35999999 / 100.0;  // 99:59'59.99, in hundredths as a typed time is read
constexpr double MinRate = 0.1, MaxRate = 1000;
constexpr double MaxDistance = 1000000;

// A number as the one reader takes it, though perhaps one too large or too
// small for any cell (1e999, 1e-400): its range is what to say, not its shape.
bool numberShaped(const QString& text)
{
    static const QRegularExpression exponent(QStringLiteral("[eE][+-]?\\d+$"));
    QString mantissa = text.trimmed();
    mantissa.remove(exponent);
    return LocaleText::readNumber(mantissa).has_value();
}

// The time as the cell shows it, hh:mm'ss with hundredths after the decimal
// sign, or its tail without the hours (mm'ss.hh, mm'ss). The seconds are read
// as every typed number is, so a "." that is this locale's group sign is no
// decimal sign here either.
std::optional<double> shownTimeSeconds(const QString& text)
{
    static const QRegularExpression shown(
        QStringLiteral("^(?:(\\d{1,9}):)?(\\d\\d)'(\\d\\d(?:[^\\d\\s:'eE+-]+\\d\\d?)?)$"));
    const QRegularExpressionMatch m = shown.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const std::optional<double> seconds = LocaleText::readNumber(m.captured(3));
    if (!seconds)
        return std::nullopt;
    const qint64 cs =
        (m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 6000 + std::llround(*seconds * 100);
    return double(cs) / 100.0;
}

// Texts whose "|" are filled in turn with the given words.
QString filledText(qint32 id, const QString& defaultText, const QList<Value>& words)
{
    return clsStrings::StringReplaceTags_gs(WindowServices::text(id, defaultText), QStringLiteral("|"), words);
}

// How a time is typed, its examples in the locale's decimal sign as the cells show them.
QString typedTimeHint()
{
    const QString dec = LocaleInfo::decimalSign();
    const QString shown = clsLibrary::SecondsToTime(5025.67, dec);  // 01:23'45.67
    return filledText(607,
                      QStringLiteral("Type a time as the cell shows it (|), without its hours (| or |), or as the "
                                     "digits hhmmss|hh: | is |, | is |"),
                      {Value(shown), Value(shown.mid(3)), Value(shown.mid(3, 5)), Value(dec), Value(12345.67).toText(),
                       Value(shown), Value(120).toText(), Value(clsLibrary::SecondsToTime(80, dec))});
}

}  // namespace

clsDetailRowEditor::clsDetailRowEditor(clsSegmentDocument& document, DataGrid* grid, QTabWidget* tabs, QObject* parent)
    : QObject(parent), m_doc(document), m_grid(grid), m_tabs(tabs)
{
    m_grid->horizontalHeader()->viewport()->installEventFilter(this);
}

// ---- checks and conversions ------------------------------------------------------------

std::optional<double> clsDetailRowEditor::Number_p(const QString& text)
{
    // The reader the stored fields use: what the check takes is what is stored.
    return LocaleText::readNumber(text);
}

qint32 clsDetailRowEditor::CheckCell_pl(int column, QString& text, const QString& rowLabel)
{
    // A number outside its range is refused as such, never as "not numeric".
    const auto number = [&text](bool inRange(double), qint32 notNumeric, qint32 outOfRange) -> qint32 {
        const std::optional<double> n = Number_p(text);
        if (!n)
            return numberShaped(text) ? outOfRange : notNumeric;
        return inRange(*n) ? 0 : outOfRange;
    };
    switch (column) {
    case Col::colDistance: return number([](double d) { return d >= 0 && d <= MaxDistance; }, 600, 601);
    case Col::colLabel: {
        text = text.trimmed().toUpper();
        // The rest is digits only: the numbering of new rows goes on from it.
        const bool kind = text.startsWith(QLatin1Char('R')) || text.startsWith(QLatin1Char('T'));
        return kind && labelNumber(text) ? 0 : 590;
    }
    case Col::colCumTimeDisplay:
        if (const std::optional<double> seconds = CumSeconds_pd(text))
            return *seconds <= MaxCumSeconds ? 0 : 606;
        return numberShaped(text) ? 606 : 605;
    case Col::colRateDisplay:
        if (text.trimmed().isEmpty())
            return 0;
        if (!DetailCalculation::isRateRow(rowLabel))
            return 4170;
        return number([](double r) { return r == 0 || (r >= MinRate && r <= MaxRate); }, 610, 611);
    default: return 0;
    }
}

QString clsDetailRowEditor::CheckText_ps(qint32 textID)
{
    const QString dec = LocaleInfo::decimalSign();
    switch (textID) {
    case 590: return detailText(590, QStringLiteral("Enter a label for a Time or Rate Only"));
    case 600: return detailText(600, QStringLiteral("Enter a Numeric Distance Value Only"));
    case 601:
        return filledText(601, QStringLiteral("Distance must be a number from | to |"),
                          {Value(LocaleText::number(0)), Value(LocaleText::number(MaxDistance))});
    case 605: return detailText(605, QStringLiteral("Cum must be a time")) + Crlf + typedTimeHint();
    case 606:
        return filledText(
                   606, QStringLiteral("Cum must be a time from | to |"),
                   {Value(clsLibrary::SecondsToTime(0, dec)), Value(clsLibrary::SecondsToTime(MaxCumSeconds, dec))})
            + Crlf + typedTimeHint();
    case 610: return detailText(610, QStringLiteral("Rate must be numeric"));
    case 611:
        return filledText(611, QStringLiteral("Rate must be from | to | (0 or nothing for no rate)"),
                          {Value(LocaleText::number(MinRate)), Value(LocaleText::number(MaxRate))});
    case 4170: return detailText(4170, QStringLiteral("You may only enter rates for rate rows"));
    default: return {};
    }
}

std::optional<double> clsDetailRowEditor::SecondsFromTyped_pd(double typed)
{
    // A negative time would read back as a wrong one; beyond 32 bits there is no time.
    if (!std::isfinite(typed) || !(typed < 2147483648.0))
        return std::nullopt;
    // Hundredths rounded half away from zero, as the time text is formatted.
    const qint64 hundredths = std::llround(typed * 100.0);
    if (hundredths < 0)
        return std::nullopt;
    const qint64 whole = hundredths / 100;
    const qint64 seconds = (whole / 10000) * 3600 + ((whole / 100) % 100) * 60 + whole % 100;
    return double(seconds * 100 + hundredths % 100) / 100.0;
}

std::optional<double> clsDetailRowEditor::CumSeconds_pd(const QString& text)
{
    if (const std::optional<double> n = Number_p(text))
        return SecondsFromTyped_pd(*n);
    return shownTimeSeconds(text);
}

double clsDetailRowEditor::RateFromTyped_pd(const QString& typed, const RateUnit& unit)
{
    const std::optional<double> v = Number_p(typed);
    if (!v)
        return 0.0;
    if (unit.type == 1)
        return *v;
    // No strokes at all is no rate: stored like an emptied cell.
    if (*v == 0.0)
        return 0.0;
    const double factor = (std::isfinite(unit.factor) && unit.factor != 0.0) ? unit.factor : 1.0;
    return factor / *v;
}

QString clsDetailRowEditor::NextLabel_ps(const Recordset& rows, QChar kind)
{
    const QChar letter = kind.toUpper();
    std::optional<qint64> largest;
    for (int r = 0; r < rows.RecordCount(); ++r) {
        const QString label = rows.valueAt(r, Col::colLabel).asText().trimmed();
        if (label.isEmpty() || label.at(0).toUpper() != letter)
            continue;
        if (const std::optional<qint64> n = labelNumber(label); n && (!largest || *n > *largest))
            largest = n;
    }
    const qint64 next = largest ? *largest + 1 : (letter == QLatin1Char('T') ? 0 : 1);
    return QString(letter) + QStringLiteral("%1").arg(next, 3, 10, QLatin1Char('0'));
}

qint32 clsDetailRowEditor::NextOrdinal_pl(const Recordset& rows)
{
    std::optional<qint32> largest;
    for (int r = 0; r < rows.RecordCount(); ++r) {
        const Value v = rows.valueAt(r, Col::colOrdinalPosition);
        if (!v.isNullOrEmpty() && (!largest || v.toLong() > *largest))
            largest = v.toLong();
    }
    return largest ? *largest + 1 : 0;
}

void clsDetailRowEditor::ConvertTyped_p(Recordset& rows, int column, const RateUnit& unit)
{
    const QString shown = rows.Fields(column).Value().asText();
    if (column == Col::colCumTimeDisplay) {
        // Text that is no time changes nothing: the next recalculation shows the stored one.
        if (const std::optional<double> seconds = CumSeconds_pd(shown))
            rows.Fields(Col::colCumTime).Value(Value(*seconds));
    } else if (column == Col::colRateDisplay) {
        rows.Fields(Col::colRate).Value(Value(RateFromTyped_pd(shown, unit)));
    }
}

void clsDetailRowEditor::StoreTyped_p(Recordset& rows, int column, const Value& typed, const RateUnit& unit)
{
    if (column == Col::colRosterId) {
        const bool none = typed.isNullOrEmpty() || typed.asText().trimmed().isEmpty()
            || (typed.isNumeric() && typed.toDouble() == 0.0);
        rows.Fields(column).Value(none ? Value(1) : typed);
        return;
    }
    rows.Fields(column).Value(typed);
    ConvertTyped_p(rows, column, unit);
}

bool clsDetailRowEditor::clearable(const DataGrid* grid, int column)
{
    if (column < 0 || column >= grid->ColumnCount() || column == Col::colLabel)
        return false;
    const DataGridColumn* c = grid->Columns(column);
    return c->Visible() && !c->Locked();
}

clsDetailRowEditor::RateUnit clsDetailRowEditor::rateUnit() const
{
    const Value type = m_doc.segment().lRateTypeID();
    RateUnit unit;
    unit.type = type.isNullOrEmpty() ? 0 : type.toLong();
    unit.factor = m_doc.units().rateFactor;
    return unit;
}

// ---- typing into the grid ---------------------------------------------------------------

void clsDetailRowEditor::dbgMain_BeforeColUpdate(int column, const Value& oldValue, bool* cancel)
{
    m_edit.reset();
    guarded(Module, "dbgMain_BeforeColUpdate", [&] {
        DataGridColumn* c = m_grid->Columns(column);
        QString text = c->Text();
        const qint32 refused = CheckCell_pl(column, text, m_grid->Columns(Col::colLabel)->Value().asText());
        if (refused) {
            // The row keeps what it had; the typed text stays in its cell to be put right.
            *cancel = true;
            const QString why = CheckText_ps(refused);
            m_grid->showAfterCommit(
                [why] { guarded(Module, "dbgMain_BeforeColUpdate", [&] { showMessage(why, 64); }); });
            return;
        }
        if (column == Col::colLabel)
            c->Text(text);
        m_edit.emplace(column, oldValue);
    });
}

void clsDetailRowEditor::dbgMain_AfterColEdit(int column)
{
    guarded(Module, "dbgMain_AfterColEdit", [&] {
        // Only a value that passed its check and got into the row is an edit.
        const std::optional<std::pair<int, Value>> edit = std::exchange(m_edit, std::nullopt);
        Recordset* rows = m_doc.rows();
        if (!edit || edit->first != column || !rows || rows->currentViewRow() < 0)
            return;
        const int field = m_grid->Columns(column)->fieldIndex();
        if (field < 0 || Value::identical(rows->Fields(field).Value(), edit->second))
            return;
        clsHourglass busy;
        StatusCleared cleared;
        sysCmd(4, detailText(2010, QStringLiteral("Calculating")));
        if (column == Col::colCumTimeDisplay || column == Col::colRateDisplay)
            ConvertTyped_p(*rows, column, rateUnit());
        m_doc.setDirty(true);
        if (column == Col::colRosterId)
            emit AthletesChanged();
        else if (column != Col::colComments)
            m_doc.recalculate();
        m_grid->Col(column);
    });
}

void clsDetailRowEditor::dbgMain_AfterUpdate()
{
    // Also a value stored from outside the window's handlers (find and replace).
    m_doc.setDirty(true);
}

bool clsDetailRowEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && watched == m_grid->horizontalHeader()->viewport()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (m_grid->horizontalHeader()->logicalIndexAt(help->pos()) == Col::colCumTimeDisplay)
            QToolTip::showText(help->globalPos(), typedTimeHint());
        else
            QToolTip::hideText();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// ---- adding, deleting and clearing rows ----------------------------------------------------

void clsDetailRowEditor::cmdAddTime_Click()
{
    guarded(Module, "cmdAddTime_Click", [&] { addRow_m(QLatin1Char('T')); });
}

void clsDetailRowEditor::cmdAddRate_Click()
{
    guarded(Module, "cmdAddRate_Click", [&] { addRow_m(QLatin1Char('R')); });
}

void clsDetailRowEditor::addRow_m(QChar kind)
{
    m_tabs->setCurrentIndex(0);
    Recordset* rows = m_doc.rows();
    if (!rows)
        return;
    // Numbered among all rows, also those the athlete filter hides.
    std::unique_ptr<Recordset> all = rows->Clone();
    const QString label = NextLabel_ps(*all, kind);
    const qint32 ordinal = NextOrdinal_pl(*all);
    all->Close();
    rows->AddNew();
    rows->Fields(Col::colSegmentID).Value(m_doc.segment().lSegmentID());
    rows->Fields(Col::colLabel).Value(Value(label));
    rows->Fields(Col::colOrdinalPosition).Value(Value(ordinal));
    rows->Fields(Col::colRosterId).Value(Value(1));
    rows->Update();
    // The new row gets its derived values at the next recalculation.
    m_grid->ReBind();
    m_doc.setDirty(true);
}

void clsDetailRowEditor::deleteRows_p()
{
    guarded(Module, "deleteRows_p", [&] {
        clsHourglass busy;
        m_tabs->setCurrentIndex(0);
        StatusCleared cleared;
        sysCmd(4, WindowServices::text(690, QStringLiteral("Deleting")));
        Recordset* rows = m_doc.rows();
        if (!rows)
            return;
        DataGridSelBookmarks& selected = m_grid->SelBookmarks();
        if (!selected.SelectCurrentWhenEmpty()) {
            showMessage(detailText(720, QStringLiteral("No Record Selected")), 64);
            return;
        }
        // The question names the first rows and how many more there are; the
        // box's details list every one. A box naming hundreds would reach past
        // the screen and hide its buttons.
        constexpr int Named = 10;
        QStringList labels;
        for (qint32 bookmark : selected.list())
            labels << rows->valueAt(rows->viewRowOfBookmark(bookmark), Col::colLabel).asText();
        const int more = int(labels.size()) - Named;
        const QString question = detailText(540, QStringLiteral("delete the following records?")) + Crlf + Crlf
            + labels.mid(0, Named).join(Crlf) + (more > 0 ? Crlf + QStringLiteral("and %1 more").arg(more) : QString());
        if (showMessage(question, 292, more > 0 ? labels.join(Crlf) : QString()) == 6) {
            // By row: rows not saved yet have no id, and two may share a label.
            const std::vector<qint32> doomed = selected.list();
            // The grid lets go of the rows meanwhile: following each removal
            // would lay it out again for every row.
            m_grid->DataSource(nullptr);
            for (qint32 bookmark : doomed) {
                rows->Bookmark(bookmark);
                rows->Delete();
            }
            m_grid->DataSource(rows);
            if (rows->RecordCount() > 0)
                rows->MoveFirst();
            m_doc.setDirty(true);
        }
        m_doc.recalculate();
        emit AthletesChanged();
    });
}

void clsDetailRowEditor::ClearSelection_p()
{
    guarded(Module, "ClearSelection_p", [&] {
        if (showMessage(QStringLiteral("Clear currently selected grid elements?"), 35) != 6)
            return;
        Recordset* rows = m_doc.rows();
        if (!rows)
            return;
        DataGrid* grid = m_grid;
        const RateUnit unit = rateUnit();
        // Written through a clone: the grid keeps its row.
        std::unique_ptr<Recordset> writer = rows->Clone();
        const int column = grid->Col();
        if (grid->SelBookmarks().Count() > 0) {
            if (clearable(m_grid, column))
                for (qint32 bookmark : grid->SelBookmarks().list()) {
                    writer->Bookmark(bookmark);
                    StoreTyped_p(*writer, column, Value(QString()), unit);
                }
        } else if (grid->SelStartCol() >= 0) {
            QList<int> columns = grid->selectedColumns();
            columns.removeIf([&](int c) { return !clearable(m_grid, c); });
            for (int r = 0; r < rows->RecordCount(); ++r) {
                writer->Bookmark(rows->bookmarkAt(r));
                // Comments are emptied; a "0" would be no clearer than the text.
                for (int c : columns)
                    StoreTyped_p(*writer, c, c == Col::colComments ? Value(QString()) : Value(0), unit);
            }
        } else if (clearable(m_grid, column) && rows->currentViewRow() >= 0) {
            writer->Bookmark(rows->Bookmark());
            StoreTyped_p(*writer, column, Value(QString()), unit);
        }
        if (writer->EditMode() != Recordset::EditNone)
            writer->Update();
        writer->Close();
        m_doc.recalculate();
        emit AthletesChanged();
        m_doc.setDirty(true);
    });
}
