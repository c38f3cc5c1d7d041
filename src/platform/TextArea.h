#pragma once

#include <QPlainTextEdit>

// The program's multi-line box. It takes only the plain text a paste or drop
// offers, whichever way it comes (keys, context menu, the middle button) and
// ignores anything else: Qt's own box crashes on X11 when the clipboard's
// owner is gone and the offered data holds no format at all.
class TextArea : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextArea(QWidget* parent = nullptr);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
