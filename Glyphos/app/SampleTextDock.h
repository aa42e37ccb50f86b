// View > Sample Text: a line of text drawn with the font of the document the
// font preview shows, at the printer's dots (each dot a square of the chosen
// scale), as `glyphos-cli sample` draws it; Save PNG writes that picture.
//
// The font preview is repainted whenever a dot, the current font or the
// active document changes, so the sample follows the preview's repaints
// rather than asking the view and the document for more notifications.
#pragma once

#include <QDockWidget>
#include <QPointer>

#include "SampleText.h"

class CChildPreviewFont;
class CMainFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;

class CSampleTextDock : public QDockWidget {
    Q_OBJECT
public:
    static constexpr const char* kDefaultText = "The quick brown fox jumps over the lazy dog 0123456789";

    // Docks a hidden Sample Text window in the frame and puts its toggle in
    // the View menu.
    static CSampleTextDock* Install(CMainFrame* frame);

    CSampleTextDock(CChildPreviewFont* preview, QWidget* parent = nullptr);

    QLineEdit* TextEdit() const { return m_text; }
    QSpinBox* ScaleBox() const { return m_scale; }
    QPushButton* SaveButton() const { return m_save; }
    QLabel* PictureLabel() const { return m_picture; }
    // The dots drawn now (empty without a document or text).
    const DotImage& Dots() const { return m_dots; }
    // Writes the picture as it is shown; false with a reason.
    bool SavePng(const QString& path, QString* error = nullptr) const;
    // Draws again now (normally a moment after the preview repaints).
    void Redraw();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ScheduleRedraw();
    void OnSave();

    QPointer<CChildPreviewFont> m_preview;
    QLineEdit* m_text = nullptr;
    QSpinBox* m_scale = nullptr;
    QPushButton* m_save = nullptr;
    QLabel* m_picture = nullptr;
    QScrollArea* m_scroll = nullptr;
    DotImage m_dots;
    bool m_redrawPending = false;
    int m_shownScale = 0;  // what the picture shows: no redraw when nothing changed
    bool m_shownDoc = false;
    // The document whose edits redraw the sample (the preview's).
    QMetaObject::Connection m_docConnection;
    QPointer<const QObject> m_watchedDoc;
};
