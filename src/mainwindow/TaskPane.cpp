#include "TaskPane.h"

#include "platform/CommandSurface.h"
#include "platform/ImageList.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace norvale {

// One line of a group: an icon and a text; a link underlines its text under
// the pointer or while it has the focus. Both kinds report clicks while they
// are available. Available links take the focus (Tab, the arrow keys) and run
// with Enter or Space.
class TaskItemWidget : public QWidget {
    Q_OBJECT
public:
    explicit TaskItemWidget(QWidget* parent)
        : QWidget(parent)
        , m_icon(new QLabel(this))
        , m_text(new QLabel(this))
    {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(8, 2, 4, 2);
        layout->setSpacing(6);
        m_icon->setFixedSize(16, 16);
        m_text->setWordWrap(true);
        layout->addWidget(m_icon);
        layout->addWidget(m_text, 1);
    }

    void show(const TaskItem& item, const QIcon& icon)
    {
        m_link = item.kind == TaskItemKind::Link;
        m_icon->setVisible(!icon.isNull());
        if (!icon.isNull())
            m_icon->setPixmap(icon.pixmap(QSize(16, 16), devicePixelRatioF()));
        m_text->setText(item.text);
        QFont font = m_text->font();
        font.setBold(item.bold);
        font.setUnderline(false);
        m_text->setFont(font);
        QPalette palette = m_text->palette();
        palette.setColor(QPalette::WindowText,
                         m_link ? QColor(0x1f, 0x4e, 0x9e) : palette.color(QPalette::Text));
        m_text->setPalette(palette);
        setToolTip(item.tooltip);
        setEnabled(item.available);
        setCursor(m_link && item.available ? Qt::PointingHandCursor : Qt::ArrowCursor);
        setFocusPolicy(m_link ? Qt::StrongFocus : Qt::NoFocus);
        if (hasFocus() && !m_link)
            focusNextChild();
        underline(m_link && (hasFocus() || underMouse()));
    }

    bool takesFocus() const { return m_link && isEnabled(); }

    QString text() const { return m_text->text(); }
    bool isLink() const { return m_link; }

Q_SIGNALS:
    void clicked();
    // Up (-1) or Down (+1) pressed on the item. (moc's definition, included
    // below, names the parameter _t1.)
    // NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
    void stepRequested(int direction);

protected:
    void enterEvent(QEnterEvent*) override { underline(m_link && isEnabled()); }
    void leaveEvent(QEvent*) override { underline(hasFocus()); }
    void focusInEvent(QFocusEvent*) override
    {
        underline(true);
        update();
    }
    void focusOutEvent(QFocusEvent*) override
    {
        underline(underMouse());
        update();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            Q_EMIT clicked();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            Q_EMIT clicked();
            break;
        case Qt::Key_Up:
            Q_EMIT stepRequested(-1);
            break;
        case Qt::Key_Down:
            Q_EMIT stepRequested(1);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
        }
        event->accept();
    }
    void paintEvent(QPaintEvent* event) override
    {
        QWidget::paintEvent(event);
        if (!hasFocus())
            return;
        QStylePainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(QPalette::Base);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }

private:
    void underline(bool on)
    {
        QFont font = m_text->font();
        font.setUnderline(on);
        m_text->setFont(font);
    }

    QLabel* m_icon;
    QLabel* m_text;
    bool m_link = true;
};

TaskPane::TaskPane(CommandSurface& surface, QVector<QIcon> images, QWidget* parent)
    : QScrollArea(parent)
    , m_surface(surface)
    , m_images(std::move(images))
{
    setObjectName(QStringLiteral("ExplorerBar"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    connect(&m_surface, &CommandSurface::rebuilt, this, &TaskPane::rebuild);
    connect(&m_surface, &CommandSurface::changed, this, &TaskPane::refresh);
    rebuild();
}

QWidget* TaskPane::itemWidget(const QString& key) const
{
    return m_items.value(key);
}

QToolButton* TaskPane::groupHeader(const QString& key) const
{
    return m_headers.value(key);
}

bool TaskPane::isGroupOpen(const QString& key) const
{
    const QWidget* body = m_bodies.value(key);
    return body && !body->isHidden();
}

// The arrow keys move the focus to the next available item up or down,
// across the groups that are open.
void TaskPane::step(TaskItemWidget* from, int direction)
{
    const qsizetype start = m_order.indexOf(from);
    for (qsizetype i = start + direction; start >= 0 && i >= 0 && i < m_order.size();
         i += direction) {
        TaskItemWidget* item = m_order.at(i);
        if (item->takesFocus() && item->isVisibleTo(widget())) {
            item->setFocus(direction > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            ensureWidgetVisible(item);
            return;
        }
    }
}

void TaskPane::rebuild()
{
    m_items.clear();
    m_order.clear();
    m_headers.clear();
    m_bodies.clear();
    auto* content = new QWidget;
    content->setBackgroundRole(QPalette::Base);
    content->setAutoFillBackground(true);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(10);
    for (const TaskGroup& group : m_surface.taskGroups()) {
        auto* header = new QToolButton(content);
        header->setText(group.title);
        header->setCheckable(true);
        header->setChecked(true);
        header->setArrowType(Qt::DownArrow);
        header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        QFont bold = header->font();
        bold.setBold(true);
        header->setFont(bold);
        auto* body = new QFrame(content);
        body->setFrameShape(QFrame::StyledPanel);
        auto* lines = new QVBoxLayout(body);
        lines->setContentsMargins(0, 4, 0, 4);
        lines->setSpacing(0);
        for (const TaskItem& item : group.items) {
            auto* line = new TaskItemWidget(body);
            const QString key = item.key;
            connect(line, &TaskItemWidget::clicked, this, [this, key] { Q_EMIT itemClicked(key); });
            connect(line, &TaskItemWidget::stepRequested, this,
                    [this, line](int direction) { step(line, direction); });
            lines->addWidget(line);
            m_items.insert(key, line);
            m_order.append(line);
        }
        connect(header, &QToolButton::toggled, body, [header, body](bool open) {
            body->setVisible(open);
            header->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
        });
        column->addWidget(header);
        column->addWidget(body);
        m_headers.insert(group.key, header);
        m_bodies.insert(group.key, body);
    }
    column->addStretch(1);
    setWidget(content);
    refresh();
}

void TaskPane::refresh()
{
    for (const TaskGroup& group : m_surface.taskGroups()) {
        for (const TaskItem& item : group.items) {
            TaskItemWidget* line = m_items.value(item.key);
            if (!line)
                continue;
            const int position = ImageList::position(item.icon);
            line->show(item,
                       position > 0 && position < m_images.size() ? m_images[position] : QIcon());
        }
    }
}

} // namespace norvale

#include "TaskPane.moc"
