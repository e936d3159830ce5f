#include "platform/ui/statusbar.h"

#include <QHBoxLayout>
#include <QLabel>

namespace vintrel::ui {

StatusBar::StatusBar(const QList<int> &panelWidths, QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(2);
    for (int width : panelWidths) {
        auto *panel = new QLabel(this);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setFixedWidth(width);
        layout->addWidget(panel);
        m_panels.append(panel);
    }
    layout->addStretch(1);
}

QString StatusBar::panelText(int panel) const { return m_panels.at(panel)->text(); }
void StatusBar::setPanelText(int panel, const QString &text) { m_panels.at(panel)->setText(text); }
int StatusBar::panelWidth(int panel) const { return m_panels.at(panel)->minimumWidth(); }
void StatusBar::setPanelAlignment(int panel, Qt::Alignment alignment) { m_panels.at(panel)->setAlignment(alignment); }

} // namespace vintrel::ui
