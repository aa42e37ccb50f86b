#include "PaletteBar.h"

#include "ToolIcons.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QGridLayout>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

QToolButton* CreateCommandButton(QAction* a, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setAutoRaise(true);
    b->setObjectName(QStringLiteral("cmd%1").arg(a->data().toInt()));
    const auto refresh = [b, a] {
        b->setEnabled(a->isEnabled());
        b->setCheckable(a->isCheckable());
        b->setChecked(a->isChecked());
        b->setToolTip(a->toolTip());
        b->setStatusTip(a->statusTip());
    };
    QObject::connect(b, &QToolButton::clicked, a, [a] { a->trigger(); });
    QObject::connect(a, &QAction::changed, b, refresh);
    refresh();
    return b;
}

CPaletteBar::CPaletteBar(const QString& title, const QString& objectName, const std::vector<QAction*>& commands,
                         QWidget* parent)
    : QDockWidget(title, parent), m_commands(commands) {
    setObjectName(objectName);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    auto* body = new QWidget(this);
    m_grid = new QGridLayout(body);
    m_grid->setContentsMargins(2, 2, 2, 2);
    m_grid->setSpacing(1);
    // The buttons keep together in the top left corner however large the
    // dock area makes the palette.
    m_grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    for (QAction* a : m_commands) {
        QToolButton* b = CreateCommandButton(a, body);
        b->setIconSize(QSize(20, 20));
        b->installEventFilter(this);
        m_buttons.push_back(b);
    }
    setWidget(body);
    SetColorImages(true);
    Relayout();

    setContextMenuPolicy(Qt::ActionsContextMenu);
    m_colourAction = new QAction(tr("Colour Images"), this);
    m_colourAction->setCheckable(true);
    m_colourAction->setChecked(m_colour);
    connect(m_colourAction, &QAction::toggled, this, [this](bool on) {
        SetColorImages(on);
        emit settingsChanged();
    });
    m_toolTipsAction = new QAction(tr("Tool Tips"), this);
    m_toolTipsAction->setCheckable(true);
    m_toolTipsAction->setChecked(m_toolTips);
    connect(m_toolTipsAction, &QAction::toggled, this, [this](bool on) {
        SetToolTipsOn(on);
        emit settingsChanged();
    });
    addAction(m_colourAction);
    addAction(m_toolTipsAction);
    auto* columns = new QMenu(tr("Columns"), this);
    auto* group = new QActionGroup(this);
    for (int n = 1; n <= kMaxColumns; ++n) {
        QAction* c = columns->addAction(QString::number(n));
        c->setCheckable(true);
        c->setChecked(n == m_columns);
        c->setObjectName(QStringLiteral("columns%1").arg(n));
        group->addAction(c);
        connect(c, &QAction::triggered, this, [this, n] {
            SetColumns(n);
            emit settingsChanged();
        });
    }
    addAction(columns->menuAction());

    // Docked, a palette takes the length of its dock area; floated by the
    // user, it needs no more room than its buttons. (A palette restored
    // floating at start-up, before the main window shows, keeps its size.)
    connect(this, &QDockWidget::topLevelChanged, this, [this](bool floating) {
        if (!floating || !parentWidget() || !parentWidget()->isVisible()) return;
        QTimer::singleShot(0, this, [this] {
            if (isFloating()) resize(sizeHint());
        });
    });
}

void CPaletteBar::SetColumns(int columns) {
    if (columns < 1) columns = 1;
    if (columns > kMaxColumns) columns = kMaxColumns;
    m_columns = columns;
    for (QAction* c : findChildren<QAction*>()) {
        if (c->objectName() == QStringLiteral("columns%1").arg(columns)) c->setChecked(true);
    }
    Relayout();
}

void CPaletteBar::Relayout() {
    for (QToolButton* b : m_buttons) m_grid->removeWidget(b);
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const int k = static_cast<int>(i);
        m_grid->addWidget(m_buttons[i], k / m_columns, k % m_columns);
    }
}

void CPaletteBar::SetColorImages(bool colour) {
    m_colour = colour;
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setIcon(CommandIcon(m_commands[i]->data().toInt(), colour));
    if (m_colourAction && m_colourAction->isChecked() != colour) m_colourAction->setChecked(colour);
}

void CPaletteBar::SetToolTipsOn(bool on) {
    m_toolTips = on;
    if (m_toolTipsAction && m_toolTipsAction->isChecked() != on) m_toolTipsAction->setChecked(on);
}

bool CPaletteBar::eventFilter(QObject* watched, QEvent* event) {
    // Without tool tips the buttons simply never show one.
    if (event->type() == QEvent::ToolTip && !m_toolTips) return true;
    return QDockWidget::eventFilter(watched, event);
}
