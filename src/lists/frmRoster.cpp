#include "lists/frmRoster.h"

#include "app/WindowProc.h"
#include "app/clsLstBoxHelper.h"
#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const RecordWindow::Config RosterConfig{
    "frmRoster",
    "tblRoster",
    "lRosterID",
    "Select lRosterID, sLastName, sFirstName, sNickName, fActive, mNotes FROM tblRoster WHERE fSysLock = 0",
    3270,
    "Roster",
    3,
    "Roster",
    8736,
    5472,
    true,
    false,
    "athlete"};

// The built-in categories: every athlete, and athletes of no other category.
constexpr qint32 AllAthletes = 2;
constexpr qint32 Unassigned = 1;

QString builtIns() { return QString::number(AllAthletes) + QLatin1Char(',') + QString::number(Unassigned); }
}  // namespace

frmRoster::frmRoster(QWidget* parent) : RecordWindow(RosterConfig, parent)
{
    txtLastName = addTextRow(1, "txtLastName", "lblLastName", "Last Name:");
    txtFirstName = addTextRow(2, "txtFirstName", "lblFirstName", "First Name:");
    txtNickName = addTextRow(3, "txtNickName", "lblNickName", "Nick Name:");
    chkActive = new QCheckBox;
    chkActive->setObjectName(QStringLiteral("chkActive"));
    addDetailRow("Label1", "Active:", chkActive);
    track(chkActive);
    txtNotes = addMemoRow(5, "txtNotes", "lblNotes", "Notes:");
    // The category lists want the room more than the notes do.
    txtNotes->setMaximumHeight(txtNotes->fontMetrics().height() * 4);
    buildCategoryLists_m();
    requireField(txtFirstName, "First Name");
    requireField(txtLastName, "Last Name");

    addColumn("lRosterID", "lRosterID", 0);
    addColumn("sLastName", "Last Name", 2100);
    addColumn("sFirstName", "First Name", 2100);
    addColumn("sNickName", "Nick Name", 1800);
    // A check mark stands for the picture of an active athlete.
    DataGridValueItems& active = addColumn("fActive", "Active?", 900)->ValueItems();
    active.Translate(true);
    active.Add(Value(-1), QString(QChar(0x2714)));
    active.Add(Value(0), QString());
    Form_Load();
}

void frmRoster::buildCategoryLists_m()
{
    const auto list = [](const char* name) {
        auto* l = new QListWidget;
        l->setObjectName(QString::fromLatin1(name));
        l->setMinimumHeight(l->fontMetrics().height() * 6);
        return l;
    };
    const auto column = [](const char* labelName, const char* caption, QWidget* w) {
        auto* box = new QVBoxLayout;
        auto* label = new QLabel(QString::fromLatin1(caption));
        label->setObjectName(QString::fromLatin1(labelName));
        box->addWidget(label);
        box->addWidget(w, 1);
        return box;
    };
    lstCategories = list("lstCategories");
    lstSelected = list("lstSelected");
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    const struct {
        QPushButton** button;
        const char* name;
        const char* caption;
        void (frmRoster::*slot)();
    } buttons[] = {{&cmdAdd, "cmdAdd", ">", &frmRoster::cmdAdd_Click},
                   {&cmdAddAll, "cmdAddAll", ">>", &frmRoster::cmdAddAll_Click},
                   {&cmdRemove, "cmdRemove", "<", &frmRoster::cmdRemove_Click},
                   {&cmdRemoveAll, "cmdRemoveAll", "<<", &frmRoster::cmdRemoveAll_Click}};
    for (const auto& b : buttons) {
        *b.button = new QPushButton(QString::fromLatin1(b.caption));
        (*b.button)->setObjectName(QString::fromLatin1(b.name));
        (*b.button)->setAutoDefault(false);
        moves->addWidget(*b.button);
        connect(*b.button, &QPushButton::clicked, this, b.slot);
    }
    moves->addStretch();
    auto* area = new QHBoxLayout;
    area->addLayout(column("lblCategories", "Available Categories:", lstCategories), 1);
    area->addLayout(moves);
    area->addLayout(column("lblSelected", "Selected Categories:", lstSelected), 1);
    detailLayout()->addLayout(area, detailLayout()->rowCount(), 0, 1, 2);
    detailLayout()->setRowStretch(detailLayout()->rowCount() - 1, 1);
    connect(lstCategories, &QListWidget::itemDoubleClicked, this, &frmRoster::lstCategories_DblClick);
    connect(lstSelected, &QListWidget::itemDoubleClicked, this, &frmRoster::lstSelected_DblClick);
}

bool frmRoster::isUserChange(QWidget* control) const
{
    // The check box reports clicks only; a box counts while it has the focus.
    return qobject_cast<QCheckBox*>(control) || QApplication::focusWidget() == control;
}

bool frmRoster::refreshesOnActivate() const { return ssTab1->isTabEnabled(0); }

// ---- the page ------------------------------------------------------------------

void frmRoster::fillAvailable_m(const QString& excludedIds)
{
    std::unique_ptr<Recordset> categories;
    ado().SQLOpenRecordset_pl(
        categories,
        QStringLiteral("SELECT lCategoryID, sCategory FROM tblCategory WHERE lCategoryID NOT IN ( ") + excludedIds
            + QStringLiteral(") ORDER BY sCategory COLLATE LOCALE"),
        clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
    clsLstBoxHelper().AdoRecordSetToListBoxP(*categories, lstCategories, Value(1), Value(0));
}

void frmRoster::clearDetail()
{
    RecordWindow::clearDetail();
    chkActive->setChecked(true);  // a new athlete is active
    lstSelected->clear();
    fillAvailable_m(builtIns());
}

void frmRoster::fillDetail()
{
    RecordWindow::fillDetail();
    const Value active = rs()->Fields(4).Value();  // any non-zero is active
    chkActive->setChecked(!active.isNullOrEmpty() && active.toBool());
    const QString id = QString::number(rs()->Fields(0).Value().toLong());
    std::unique_ptr<Recordset> assigned;
    ado().SQLOpenRecordset_pl(assigned,
                              QStringLiteral("SELECT lCategoryID, sCategory FROM tblCategory WHERE lCategoryID IN "
                                             "(SELECT lCategoryID FROM tblRoster_Category WHERE lRosterID = ")
                                  + id + QStringLiteral(") AND lCategoryID NOT IN (") + builtIns()
                                  + QStringLiteral(") ORDER BY sCategory COLLATE LOCALE"),
                              clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
    clsLstBoxHelper().AdoRecordSetToListBoxP(*assigned, lstSelected, Value(1), Value(0));
    QString ids;
    for (int i = 0; i < lstSelected->count(); ++i)
        ids += QString::number(clsLstBoxHelper::itemData(lstSelected, i)) + QLatin1Char(',');
    fillAvailable_m(ids + builtIns());
}

void frmRoster::writeDetail(Recordset& row)
{
    RecordWindow::writeDetail(row);
    row.Fields(4).Value(Value(chkActive->isChecked()));
}

Value frmRoster::writeRecord_m()
{
    // The athlete and its links go in together or not at all, so a retry
    // after a failure adds the athlete once.
    clsAdoConnectJet& db = ado();
    db.BeginTrans_pf();
    try {
        const Value id = writeRow_m();
        if (id.isNullOrEmpty()) {
            db.Rollback_pf();
            return id;
        }
        const QString link = QStringLiteral("INSERT INTO tblRoster_Category (lRosterID, lCategoryID) VALUES (?, ?)");
        db.SQLExecute_pl(QStringLiteral("DELETE FROM tblRoster_Category WHERE lRosterID = ?"), {id});
        db.SQLExecute_pl(link, {id, Value(AllAthletes)});
        if (lstSelected->count() == 0)
            db.SQLExecute_pl(link, {id, Value(Unassigned)});
        for (int i = lstSelected->count() - 1; i >= 0; --i)
            db.SQLExecute_pl(link, {id, Value(clsLstBoxHelper::itemData(lstSelected, i))});
        db.CommitTrans_pf();
        return id;
    } catch (...) {
        ignoringErrors([&] { db.Rollback_pf(); });
        // The list still holds what the rollback took back.
        ignoringErrors([&] { rs()->Requery(); });
        throw;
    }
}

// ---- moving categories -------------------------------------------------------------

void frmRoster::move_m(QListWidget* from, int row, QListWidget* to)
{
    to->addItem(from->takeItem(row));
    from->setCurrentRow(-1);
    setDirty(true);
}

void frmRoster::cmdAdd_Click()
{
    guarded("frmRoster", "cmdAdd_Click", [&] {
        if (lstCategories->currentRow() >= 0)
            move_m(lstCategories, lstCategories->currentRow(), lstSelected);
    });
}

void frmRoster::cmdRemove_Click()
{
    guarded("frmRoster", "cmdRemove_Click", [&] {
        if (lstSelected->currentRow() >= 0)
            move_m(lstSelected, lstSelected->currentRow(), lstCategories);
    });
}

// A double click moves the item clicked.
void frmRoster::lstCategories_DblClick(QListWidgetItem* item)
{
    lstCategories->setCurrentItem(item);
    cmdAdd_Click();
}

void frmRoster::lstSelected_DblClick(QListWidgetItem* item)
{
    lstSelected->setCurrentItem(item);
    cmdRemove_Click();
}

void frmRoster::cmdAddAll_Click()
{
    guarded("frmRoster", "cmdAddAll_Click", [&] {
        while (lstCategories->count() > 0)
            move_m(lstCategories, 0, lstSelected);
        setDirty(true);
    });
}

void frmRoster::cmdRemoveAll_Click()
{
    guarded("frmRoster", "cmdRemoveAll_Click", [&] {
        while (lstSelected->count() > 0)
            move_m(lstSelected, 0, lstCategories);
    });
}

void frmRoster::AppendCategory_p(qint32 lCategoryID)
{
    withErrorSource(QStringLiteral("AppendCategory_p"), [&] {
        const qint32 index = clsLstBoxHelper().FindItemDataInListBoxPl(lstCategories, Value(lCategoryID));
        if (index < 0)
            return;
        lstCategories->setCurrentRow(index);
        cmdAdd_Click();
    });
}

// ---- delete ---------------------------------------------------------------------------

QString frmRoster::deleteName_m() const
{
    return rs()->Fields(1).Value().asText() + QStringLiteral(", ") + rs()->Fields(2).Value().asText();
}

qint32 frmRoster::deleteIds_m(const QString& ids)
{
    // Athletes that segment rows name stay, and so do all the others picked with them.
    clsAdoConnectJet& db = ado();
    db.BeginTrans_pf();
    try {
        std::unique_ptr<Recordset> used;
        if (db.SQLOpenRecordset_pl(used,
                                   QStringLiteral("SELECT lSegmentDetailID FROM tblSegmentDetail WHERE lRosterID IN (")
                                       + ids + QStringLiteral(") LIMIT 1"),
                                   clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly)
            > 0)
            // Segment rows name athletes without a foreign key: this check is
            // that key's refusal, and is said in the same words.
            throw AppError(AppError::withObjectBase(ErrNo::OleDbFailed), inUseText_m());
        db.SQLExecute_pl(QStringLiteral("DELETE FROM tblRoster_Category WHERE lRosterID IN (") + ids
                         + QLatin1Char(')'));
        const qint32 deleted =
            db.SQLExecute_pl(QStringLiteral("DELETE FROM tblRoster WHERE lRosterId IN (") + ids + QLatin1Char(')'));
        db.CommitTrans_pf();
        return deleted;
    } catch (...) {
        ignoringErrors([&] { db.Rollback_pf(); });
        throw;
    }
}
