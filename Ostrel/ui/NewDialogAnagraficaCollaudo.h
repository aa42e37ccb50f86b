// The test record of a printer: who tests it, when, which production lot and
// model. Every field the report needs must be filled before OK is taken.
#pragma once

#include "KalvoNewReportFileObject.h"

#include <QDate>
#include <QDialog>

class QLineEdit;

class CNewDialogAnagraficaCollaudo : public QDialog {
    Q_OBJECT
public:
    explicit CNewDialogAnagraficaCollaudo(QWidget* parent);

    // Loads names, lot, product type and the model code; the date is today's.
    void GetCurrentAnagrafica(const _AnagraficaCollaudo& record);
    // After OK writes names, date and lot, and the product code as type,
    // "-" and model code; the product type itself is the caller's.
    void SetNewAnagrafica(_AnagraficaCollaudo* record) const;

    // 0 Nome, 1 Cognome, 2 Data collaudo, 3 Tipo prodotto, 4 Lotto di
    // produzione, 5 Codifica modello.
    QLineEdit* Field(int index) const { return m_field[index]; }
    // The day GetCurrentAnagrafica writes (today unless a test says).
    void SetToday(const QDate& day) { m_today = day; }

    void accept() override;

private:
    QLineEdit* m_field[6] = {};
    QDate m_today = QDate::currentDate();
    _AnagraficaCollaudo m_new;
};
