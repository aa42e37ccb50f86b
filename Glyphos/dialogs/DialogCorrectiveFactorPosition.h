// "Set position in grid factor": how an imported character is placed in its
// cell (origin x, y in dots, -10 .. 10) and stretched (horizontal and
// vertical factors, 0.25 .. 4), with a drawing of "@" that shows the effect
// inside a green frame of the printer font's cell.
//
// The values change only through the step buttons; OK writes them through
// the addresses given, Cancel leaves them as they were.
#pragma once

#include "LogFontRecord.h"

#include <QDialog>
#include <QFont>

class QGroupBox;
class QLineEdit;
class QPushButton;

class CDialogCorrectiveFactorPosition : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinOrigin = -10;
    static constexpr int kMaxOrigin = 10;
    static constexpr float kMinFactor = 0.25f;
    static constexpr float kMaxFactor = 4.0f;

    // Control ids of the step buttons (their object names are "b<id>").
    enum Button {
        XLeft = 1025, XRight = 1026, YUp = 1028, YDown = 1029,
        HorizPlus01 = 1041, HorizMinus001 = 1042, VertPlus001 = 1043, VertMinus001 = 1044,
        DefaultValue = 1045,
        HorizPlus10 = 1046, HorizMinus10 = 1047, VertPlus10 = 1048, VertMinus10 = 1049,
    };

    // fontWidth x fontHeight is the printer font's cell, framed in green.
    CDialogCorrectiveFactorPosition(int* originX, int* originY, float* fx, float* fy, const LogFontRecord& lf,
                                    int fontWidth, int fontHeight, QWidget* parent = nullptr);

    int GetOriginX() const { return m_x; }
    int GetOriginY() const { return m_y; }
    float GetFactorX() const { return m_fx; }
    float GetFactorY() const { return m_fy; }
    QPushButton* StepButton(Button id) const;
    QWidget* Preview() const { return m_preview; }
    // A factor after one step, in single precision, held to 0.25 .. 4.
    static float StepFactor(float value, float step);

    // Runs a step button's action (what a click does).
    void OnButton(Button id);

public slots:
    void accept() override;

private:
    friend class CorrectivePreview;
    void ShowValues();

    int* m_pX;
    int* m_pY;
    float* m_pFx;
    float* m_pFy;
    int m_x;
    int m_y;
    float m_fx;
    float m_fy;
    QFont m_font;
    int m_fontWidth;
    int m_fontHeight;
    QLineEdit* m_editX = nullptr;
    QLineEdit* m_editY = nullptr;
    QLineEdit* m_editFx = nullptr;
    QLineEdit* m_editFy = nullptr;
    QGroupBox* m_box = nullptr;
    QWidget* m_preview = nullptr;
};
