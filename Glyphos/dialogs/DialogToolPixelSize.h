// "Tool pixel size": the side, in dots, of the eraser or brush square.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

class CDialogToolPixelSize : public QDialog {
    Q_OBJECT
public:
    enum Tool { Other, Eraser, Brush };
    static constexpr int kMinSize = 2;
    static constexpr int kMaxSize = 15;
    static constexpr int kMaxLabelChars = 30;

    CDialogToolPixelSize(Tool tool, int size, QWidget* parent = nullptr);

    int GetSize() const { return m_size; }
    QString GetLabel() const;
    QLineEdit* Edit() const { return m_edit; }

public slots:
    // Reads and checks the size; a value outside 2..15 is refused with the
    // usual message and the dialog stays open.
    void accept() override;

private:
    int m_size;
    QLabel* m_label = nullptr;
    QLineEdit* m_edit = nullptr;
};
