#pragma once

#include "lists/RecordWindow.h"

class QLineEdit;

// The segment types a segment is classified by.
class frmSegmentType : public RecordWindow {
    Q_OBJECT
public:
    explicit frmSegmentType(QWidget* parent = nullptr);

    QLineEdit* txtSegmentType = nullptr;
    QLineEdit* txtDescription = nullptr;
    QLineEdit* txtComments = nullptr;

protected:
    qint32 deleteIds_m(const QString& ids) override;
};
