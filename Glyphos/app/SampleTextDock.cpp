#include "SampleTextDock.h"

#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "ChildPreviewFont.h"
#include "CodePageList.h"
#include "DotPng.h"
#include "FileDialogs.h"
#include "FontConverter.h"
#include "GlyphosDoc.h"
#include "MainFrm.h"
#include "QtText.h"

CSampleTextDock* CSampleTextDock::Install(CMainFrame* frame) {
    auto* dock = new CSampleTextDock(frame->GetPreview(), frame);
    // Above the documents, the whole width: a line of text is long.
    frame->addDockWidget(Qt::TopDockWidgetArea, dock);
    dock->hide();
    if (QMenu* view = frame->Menu(tr("View"))) view->addAction(dock->toggleViewAction());
    return dock;
}

CSampleTextDock::CSampleTextDock(CChildPreviewFont* preview, QWidget* parent)
    : QDockWidget(tr("Sample Text"), parent), m_preview(preview) {
    setObjectName(QStringLiteral("SampleText"));
    toggleViewAction()->setText(tr("Sample Text"));
    toggleViewAction()->setStatusTip(tr("Show or hide a line of text drawn with the font at the printer's dots"));

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    auto* controls = new QHBoxLayout;
    m_text = new QLineEdit(QString::fromLatin1(kDefaultText), body);
    m_text->setObjectName(QStringLiteral("SampleTextLine"));
    m_text->setCursorPosition(0);
    m_scale = new QSpinBox(body);
    m_scale->setObjectName(QStringLiteral("SampleTextScale"));
    m_scale->setRange(1, DotPng::kMaxScale);
    m_scale->setValue(2);
    m_scale->setSuffix(tr(" x"));
    m_scale->setToolTip(tr("Screen pixels per printer dot"));
    m_save = new QPushButton(tr("Save PNG..."), body);
    controls->addWidget(m_text, 1);
    controls->addWidget(new QLabel(tr("Scale:"), body));
    controls->addWidget(m_scale);
    controls->addWidget(m_save);
    column->addLayout(controls);
    m_picture = new QLabel(body);
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll = new QScrollArea(body);
    m_scroll->setWidget(m_picture);
    m_scroll->setWidgetResizable(false);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    column->addWidget(m_scroll);
    setWidget(body);

    connect(m_text, &QLineEdit::textChanged, this, &CSampleTextDock::Redraw);
    connect(m_scale, &QSpinBox::valueChanged, this, &CSampleTextDock::Redraw);
    connect(m_save, &QPushButton::clicked, this, &CSampleTextDock::OnSave);
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) Redraw();
    });
    if (m_preview) m_preview->viewport()->installEventFilter(this);
    Redraw();
}

bool CSampleTextDock::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && m_preview && watched == m_preview->viewport()) ScheduleRedraw();
    return QDockWidget::eventFilter(watched, event);
}

void CSampleTextDock::ScheduleRedraw() {
    if (m_redrawPending || !isVisible()) return;
    m_redrawPending = true;
    QTimer::singleShot(0, this, [this] {
        m_redrawPending = false;
        Redraw();
    });
}

void CSampleTextDock::Redraw() {
    const CGlyphosDoc* doc = m_preview ? m_preview->GetDocument() : nullptr;
    if (doc != m_watchedDoc.data()) {
        // The preview is not repainted while it is hidden or covered: the
        // document itself says when its font changed.
        disconnect(m_docConnection);
        m_watchedDoc = doc;
        if (doc) m_docConnection = connect(doc, &CGlyphosDoc::fontShown, this, &CSampleTextDock::ScheduleRedraw);
    }
    DotImage dots;
    if (doc) {
        // The editor's code page, as the font's characters were drawn with it.
        std::uint32_t page = CodePageChoice::Application().codePage;
        if (page == 0) page = FontConverter::kDefaultCodePage;
        dots = SampleText::Draw(doc->GetFont(), SampleText::MapText(m_text->text().toStdString(), page));
    }
    const int scale = m_scale->value();
    const bool same = dots.width == m_dots.width && dots.height == m_dots.height && dots.dots == m_dots.dots;
    if (same && scale == m_shownScale && (doc != nullptr) == m_shownDoc) return;
    m_dots = std::move(dots);
    m_shownScale = scale;
    m_shownDoc = doc != nullptr;
    m_save->setEnabled(m_dots.width > 0);
    if (m_dots.width == 0) {
        m_picture->setPixmap(QPixmap());
        m_picture->setText(doc ? tr("No text to draw") : tr("No font selected"));
        m_picture->adjustSize();
        return;
    }
    QImage image(m_dots.width, m_dots.height, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 0; y < m_dots.height; ++y)
        for (int x = 0; x < m_dots.width; ++x)
            if (m_dots.Ink(x, y)) image.setPixel(x, y, 1);
    m_picture->setPixmap(QPixmap::fromImage(image.scaled(image.size() * scale)));
    m_picture->adjustSize();
    // Tall enough for the whole line (and the scroll bar under it), within reason.
    m_scroll->setFixedHeight(std::min(m_picture->height(), 400) + 2 * m_scroll->frameWidth() +
                             m_scroll->horizontalScrollBar()->sizeHint().height());
}

bool CSampleTextDock::SavePng(const QString& path, QString* error) const {
    std::string why;
    if (DotPng::Write(m_dots, m_scale->value(), FromQString(path), &why)) return true;
    if (error) *error = QString::fromStdString(why);
    return false;
}

void CSampleTextDock::OnSave() {
    QFileDialog dlg(this, tr("Save the sample as PNG"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters({tr("PNG pictures (*.png)"), tr("All Files (*)")});
    dlg.setDefaultSuffix(QStringLiteral("png"));
    PrepareFileDialog(dlg);
    const CGlyphosDoc* doc = m_preview ? m_preview->GetDocument() : nullptr;
    StartFileDialogIn(dlg, doc ? ToQString(doc->GetPathName()) : QString());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    const QString path = dlg.selectedFiles().constFirst();
    QString error;
    if (!SavePng(path, &error)) QMessageBox::critical(this, tr("Error"), tr("Cannot write %1:\n%2").arg(path, error));
}
