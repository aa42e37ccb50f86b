// The progress display of a transfer to the printer: a title, two lines of
// text, a bar and a moving picture. The printers object describes the
// transfer in its _ProgressBarCtrl and posts start, step and end messages;
// OnProgressMessage turns each into the matching call. The dialog closes
// itself when the bar reaches the end of its range.
#pragma once

#include "CString.h"
#include "KalvoNewPrintersObject.h"
#include "MessageTarget.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class ProgressAnimation;

class CNewDialogStatoAvanProcesso : public QDialog {
    Q_OBJECT
public:
    explicit CNewDialogStatoAvanProcesso(QWidget* parent);

    // Title, texts, range and step; the clip path is not played (the dialog
    // draws its own animation) but the animation runs whenever one is named.
    void InitNewDialogStatoAvanProcesso(const _ProgressBarCtrl& ctrl);
    void NewStep();
    void NewStep(const CString& text1, const CString& text2);
    void GoAnimazione();
    void StopAnimazione();

    // The transfer's start message (0x0982) opens the dialog from `ctrl`
    // (read at that moment: the printers object fills it just before it
    // posts), each step message (0x098C) advances it, the end message
    // (0x0996) closes it. Returns false for any other
    // message. Call it on the GUI thread (the Qt message target does).
    bool OnProgressMessage(const PostedMessage& m, const _ProgressBarCtrl* ctrl);

    QProgressBar* Bar() const { return m_bar; }
    QLabel* Text(int index) const { return index == 0 ? m_text1 : m_text2; }
    ProgressAnimation* Animation() const { return m_animation; }

private:
    void Finish();

    QProgressBar* m_bar = nullptr;
    QLabel* m_text1 = nullptr;
    QLabel* m_text2 = nullptr;
    ProgressAnimation* m_animation = nullptr;
    int m_step = 1;
};
