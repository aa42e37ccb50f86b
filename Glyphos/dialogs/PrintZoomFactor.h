// "Print Zoom Factor": how many printer dots one logical unit of the
// printed page takes, so how large the printed grid and table come out.
#pragma once

#include "FontPrinter.h"

#include <QDialog>

class QLineEdit;

class CPrintZoomFactor : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinFactor = FontPrinter::kMinPrintFactor;
    static constexpr int kMaxFactor = FontPrinter::kMaxPrintFactor;

    explicit CPrintZoomFactor(int factor, QWidget* parent = nullptr);

    int GetFactor() const { return m_factor; }
    QLineEdit* Edit() const { return m_edit; }

public slots:
    // Reads and checks the factor; outside 1..20 the usual range message is
    // shown and the dialog stays open.
    void accept() override;

private:
    int m_factor;
    QLineEdit* m_edit = nullptr;
};
