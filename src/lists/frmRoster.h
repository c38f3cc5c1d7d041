#pragma once

#include "lists/RecordWindow.h"

class QCheckBox;
class QListWidget;
class QListWidgetItem;

// The athletes, each with the categories they belong to. Categories 1 and 2
// are built in: every athlete is in 2, and in 1 exactly when in no other.
class frmRoster : public RecordWindow {
    Q_OBJECT
public:
    explicit frmRoster(QWidget* parent = nullptr);

    // Moves the category to the athlete's categories; an id not among the
    // available ones changes nothing.
    Q_INVOKABLE void AppendCategory_p(qint32 lCategoryID);
    Q_INVOKABLE void Dirty_pf(bool dirty) { setDirty(dirty); }

    QLineEdit* txtLastName = nullptr;
    QLineEdit* txtFirstName = nullptr;
    QLineEdit* txtNickName = nullptr;
    QCheckBox* chkActive = nullptr;
    QPlainTextEdit* txtNotes = nullptr;
    QListWidget* lstCategories = nullptr;
    QListWidget* lstSelected = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdAddAll = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdRemoveAll = nullptr;

protected:
    void clearDetail() override;
    void fillDetail() override;
    void writeDetail(Recordset& row) override;
    Value writeRecord_m() override;
    qint32 deleteIds_m(const QString& ids) override;
    QString deleteName_m() const override;
    bool isUserChange(QWidget* control) const override;
    // A caller that switched off the list page keeps the grid where it is.
    bool refreshesOnActivate() const override;

private slots:
    void cmdAdd_Click();
    void cmdAddAll_Click();
    void cmdRemove_Click();
    void cmdRemoveAll_Click();
    void lstCategories_DblClick(QListWidgetItem* item);
    void lstSelected_DblClick(QListWidgetItem* item);

private:
    void buildCategoryLists_m();
    // Fills the available list with every category but the listed ids ("5,7,2,1").
    void fillAvailable_m(const QString& excludedIds);
    void move_m(QListWidget* from, int row, QListWidget* to);
};
