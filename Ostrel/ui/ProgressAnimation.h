// The moving picture of the process-progress dialog: a printer feeding out a
// ticket line by line, drawn with QPainter, so the dialog needs no video clip
// and no codec. It only shows that work goes on; the bar shows how far.
#pragma once

#include <QTimer>
#include <QWidget>

class ProgressAnimation : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrames = 12;
    static constexpr int kFrameMs = 120;

    explicit ProgressAnimation(QWidget* parent = nullptr);

    // Plays in a loop until Stop; both may be called any number of times.
    void Play();
    void Stop();
    bool IsPlaying() const { return m_timer.isActive(); }
    int Frame() const { return m_frame; }
    // The next frame (the timer's step; tests call it instead of waiting).
    void Advance();

    QSize sizeHint() const override { return {96, 72}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    int m_frame = 0;
};
