#include "SearchFixture.h"

#include "app/ChildForms.h"
#include "import/frmImportSegment.h"
#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "search/clsSearchSegment.h"

#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

namespace {
using Ids = QList<int>;

qint32 quotingError(const Value& v, qint32 adoType)
{
    try {
        clsAdoConnectJet().SQLString_ps(v, adoType);
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

// The segment list with export to a temporary file; the exported lines are
// read back field by field.
class ListRows : public SearchFixture {
protected:
    void SetUp() override
    {
        SearchFixture::SetUp();
        path = dir.filePath(QStringLiteral("out.txt"));
        frmSegmentList::setSaveFileAsker([this](QWidget*, const QString&, const QString&,
                                                const QString&) -> std::optional<QString> { return path; });
    }

    // Each exported row's fields (header line left out).
    QList<QList<QByteArray>> exportedRows() const
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QList<QList<QByteArray>> rows;
        const QList<QByteArray> lines = f.readAll().split('\n');
        for (int i = 1; i < lines.size(); ++i)
            if (!lines[i].trimmed().isEmpty())
                rows << lines[i].split('\t');
        return rows;
    }
    QStringList exportedLabels() const
    {
        QStringList labels;
        for (const QList<QByteArray>& r : exportedRows())
            if (!labels.contains(QString::fromUtf8(r[0])))
                labels << QString::fromUtf8(r[0]);
        return labels;
    }

    // The segment ids the selection names, in selection order.
    Ids selectedIds() const
    {
        Ids ids;
        Recordset* rs = window->listRecordset();
        for (int i = 0; i < window->dbgMain->SelBookmarks().Count(); ++i) {
            const int row = rs->viewRowOfBookmark(window->dbgMain->SelBookmarks().Item(i).toLong());
            ids << (row < 0 ? -1 : rs->valueAt(row, 0).toLong());
        }
        return ids;
    }
    int currentId() const
    {
        const int row = window->dbgMain->Row();
        return row < 0 ? -1 : window->listRecordset()->valueAt(row, 0).toLong();
    }

    QTemporaryDir dir;
    QString path;
};

}  // namespace

// ---- the selection names segments, not places in the list -------------------------

TEST_F(ListRows, DeletingTheSelectedSegmentLeavesNoOtherSelected)
{
    searchAll();
    select({2});
    window->dbgMain->Bookmark(Value(window->listRecordset()->bookmarkAt(viewRowOf(2))));
    boxes.answer(6);
    window->cmdDelete->click();
    ASSERT_EQ(boxes.count(), 1);
    ASSERT_EQ(sortedIds(), (Ids{1, 3, 4, 5, 6}));
    EXPECT_TRUE(selectedIds().isEmpty());
    EXPECT_NE(currentId(), 3);

    window->cmdExport->click();
    const QStringList labels = exportedLabels();
    EXPECT_EQ(labels.size(), 1) << "the current row, nothing more";
    EXPECT_FALSE(labels.contains(QStringLiteral("3")));
    EXPECT_FALSE(labels.contains(QStringLiteral("2")));
}

TEST_F(ListRows, ARefreshAfterAnotherWindowsDeleteKeepsTheSameSegmentsSelected)
{
    searchAll();
    select({5, 3});
    window->dbgMain->Bookmark(Value(window->listRecordset()->bookmarkAt(viewRowOf(4))));

    frmSegmentList other;
    other.FormRefresher_po(app->FormRefresher_po());
    other.Search_p();
    other.dbgMain->Bookmark(Value(other.listRecordset()->bookmarkAt(0)));
    const int deleted = other.listRecordset()->valueAt(0, 0).toLong();
    ASSERT_NE(deleted, 3);
    ASSERT_NE(deleted, 5);
    boxes.answer(6);
    other.cmdDelete->click();
    ASSERT_EQ(listedIds().size(), 5) << "the refresh reached this list";

    EXPECT_EQ(selectedIds(), (Ids{5, 3}));
    EXPECT_EQ(currentId(), 4);
    // Delete offers the segments the user picked, and only those.
    boxes.answer(7);
    window->cmdDelete->click();
    const QString asked = boxes.last().text;
    EXPECT_EQ(asked.count(QStringLiteral("Segment # ")), 2) << asked.toStdString();
    EXPECT_TRUE(asked.contains(QStringLiteral("Segment # A1 ")));
    EXPECT_TRUE(asked.contains(QStringLiteral("Segment # 3 ")));

    window->cmdExport->click();
    EXPECT_EQ(exportedLabels(), (QStringList{QStringLiteral("3"), QStringLiteral("A1")}));
}

// ---- numbers ------------------------------------------------------------------------

TEST_F(ListRows, ExportWritesNumbersInTheirPlainGeneralForm)
{
    ASSERT_TRUE(folder.execSql(QStringLiteral("UPDATE tblSegmentDetail SET dCumTime = 0.0001, dRate = 1234567.25, "
                                              "dDistance = 100000 WHERE lSegmentID = 3;")));
    // The locale's decimal sign, which its spreadsheet reads; never a group sign.
    const struct {
        const char* locale;
        const char *cum, *rate;
    } cases[] = {{"en_US", "0.0001", "1234567.25"}, {"de_DE", "0,0001", "1234567,25"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        window->dbgMain->SelBookmarks().Clear();
        searchAll();
        select({3});
        window->cmdExport->click();
        QLocale::setDefault(QLocale::system());
        const QList<QList<QByteArray>> rows = exportedRows();
        ASSERT_EQ(rows.size(), 1);
        ASSERT_GE(rows[0].size(), 15);
        EXPECT_EQ(rows[0][12], c.cum);     // Cum Time
        EXPECT_EQ(rows[0][13], c.rate);    // Rate
        EXPECT_EQ(rows[0][14], "100000");  // Distance
    }
}

TEST(SearchNumbers, NotANumberOrInfinityInANumericCriterionRaises13)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const QList<Value> values{Value(QStringLiteral("nan")),
                              Value(QStringLiteral("inf")),
                              Value(QStringLiteral("-Infinity")),
                              Value(nan),
                              Value(inf),
                              Value(-inf)};
    for (const Value& v : values) {
        SCOPED_TRACE(v.kind() == Value::Kind::Text ? v.toText().toStdString() : std::to_string(v.toDouble()));
        clsSearchSegment search;
        search.SetCriteria_p(QStringLiteral("tblSegment.lSegmentID"), QStringLiteral("="), v);
        try {
            const QString sql = search.GetSearchSqlString_ps();
            ADD_FAILURE() << "no error: " << sql.toStdString();
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), ErrNo::TypeMismatch);
        }
        EXPECT_EQ(quotingError(v, clsAdoConnectJet::adDouble), ErrNo::TypeMismatch);
    }
}

// ---- a NUL typed into a review cell ---------------------------------------------------

TEST_F(ListRows, ReviewCellEditsWithANulSave)
{
    ASSERT_TRUE(folder.execSql(QStringLiteral(
        "INSERT INTO tblImportSegment (lSegmentID, sSegmentLabel, dtImportDate, dtSegmentDate, dtSegmentTime, "
        "lSegmentTypeID, lCategoryID, lRateTypeID, lSpeedTypeID, lDistanceTypeID, mNotes, fSave) "
        "VALUES (1, '9', '2024-05-01', '2024-05-01', '07:00:00', 1, 1, 1, 1, 1, NULL, -1);"
        "INSERT INTO tblImportSegmentDetail (lSegmentID, sSegmentDetailLabel, lOrdinalPosition, dCumTime, dRate) "
        "VALUES (1, 'T001', 1, 12.5, 0);")));
    ChildForms::registerForm(QStringLiteral("frmSegmentList"), [] { return nullptr; });
    QPointer<QWidget> review = frmImportSegment::openAfterDownload(QDate(2024, 5, 1));
    ASSERT_TRUE(review);
    auto* grid = review->findChild<DataGrid*>(QStringLiteral("dbgMain"));
    ASSERT_NE(grid, nullptr);
    const QChar nul(0);
    const auto type = [&](int column, const QString& text) {
        grid->setCurrentIndex(grid->model()->index(0, column));
        grid->EditActive(true);
        auto* editor = qobject_cast<QLineEdit*>(grid->cellEditor());
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        EXPECT_TRUE(grid->commitPendingEdit());
    };
    type(frmImportSegment::colSegment, QStringLiteral("9") + nul + QStringLiteral("B"));
    type(frmImportSegment::colNotes, QStringLiteral("calm") + nul);
    review->findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();

    EXPECT_EQ(boxes.count(), 0) << (boxes.count() ? boxes.last().text.toStdString() : std::string());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tblSegment WHERE sSegmentLabel = '9B' AND mNotes = 'calm'")),
              1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tblSegmentDetail JOIN tblSegment USING (lSegmentID) "
                                   "WHERE sSegmentLabel = '9B'")),
              1);
    delete review.data();
}
