#include "StatusBarModel.h"

namespace norvale {

StatusBarModel::StatusBarModel(int panelCount, QObject* parent)
    : QObject(parent)
{
    for (int i = 0; i < panelCount; ++i)
        m_texts.append(QString());
}

QString StatusBarModel::panelText(int panel) const
{
    return panel >= 1 && panel <= panelCount() ? m_texts.at(panel - 1) : QString();
}

void StatusBarModel::setPanelText(int panel, const QString& text)
{
    if (panel < 1 || panel > panelCount())
        return;
    m_texts[panel - 1] = text;
    Q_EMIT panelChanged(panel, text);
}

void StatusBarModel::setProgress(int done, int total)
{
    Q_EMIT progressChanged(done, total);
}

void StatusBarModel::showMessage(const QString& text, int timeoutMs)
{
    Q_EMIT messageShown(text, timeoutMs);
}

} // namespace norvale
