#pragma once

#include "lists/RecordWindow.h"

class QLineEdit;
class QPlainTextEdit;

// The categories segments and athletes are classified by.
class frmCategory : public RecordWindow {
    Q_OBJECT
public:
    explicit frmCategory(QWidget* parent = nullptr);

    QLineEdit* txtCategory = nullptr;
    QLineEdit* txtDescription = nullptr;
    QPlainTextEdit* txtNotes = nullptr;
};
