// A docking palette of command buttons laid out in a grid of a chosen number
// of columns ("Draw", "Preview", "Actions"). Its buttons follow the state of
// the main frame's command actions; images in colour or grey and tool tips
// on or off are the user's choice, kept in the profile by the main frame and
// changed from the palette's context menu.
#pragma once

#include <QDockWidget>

#include <vector>

class QAction;
class QGridLayout;
class QToolButton;

// A button that runs a command action and mirrors its enabled and checked
// state but not its visibility: a bar keeps its buttons whether or not the
// command's menu item is shown.
QToolButton* CreateCommandButton(QAction* command, QWidget* parent);

class CPaletteBar : public QDockWidget {
    Q_OBJECT
public:
    CPaletteBar(const QString& title, const QString& objectName, const std::vector<QAction*>& commands,
                QWidget* parent);

    void SetColumns(int columns);
    int GetColumns() const { return m_columns; }
    void SetColorImages(bool colour);
    bool GetColorImages() const { return m_colour; }
    void SetToolTipsOn(bool on);
    bool GetToolTipsOn() const { return m_toolTips; }

    QToolButton* Button(int index) const { return m_buttons.at(static_cast<std::size_t>(index)); }
    int ButtonCount() const { return static_cast<int>(m_buttons.size()); }
    // The context menu's entries: colour images, tool tips, 1 .. 5 columns.
    QAction* ColorAction() const { return m_colourAction; }
    QAction* ToolTipsAction() const { return m_toolTipsAction; }

    static constexpr int kMaxColumns = 5;

signals:
    void settingsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Relayout();

    std::vector<QAction*> m_commands;
    std::vector<QToolButton*> m_buttons;
    QGridLayout* m_grid = nullptr;
    int m_columns = 3;
    bool m_colour = true;
    bool m_toolTips = true;
    QAction* m_colourAction = nullptr;
    QAction* m_toolTipsAction = nullptr;
};
