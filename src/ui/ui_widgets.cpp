#include "ui/ui_widgets.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPointer>

#include <algorithm>

namespace kestrix {

ClickLabel::ClickLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

std::string typedBytes(const QString &text)
{
    const bool latin1 = std::all_of(text.begin(), text.end(),
                                    [](QChar c) { return c.unicode() <= 0xFF; });
    return latin1 ? toBytes(text) : text.toUtf8().toStdString();
}

namespace {

// Keeps an action's or widget's enabled state with its widget's; lives as long as the widget.
class EnabledFollower : public QObject {
public:
    EnabledFollower(QWidget *leader, QObject *follower) : QObject(leader), m_follower(follower)
    {
        leader->installEventFilter(this);
        follow(leader->isEnabled());
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange)
            follow(static_cast<QWidget *>(watched)->isEnabled());
        return false;
    }

private:
    void follow(bool enabled)
    {
        if (auto *action = qobject_cast<QAction *>(m_follower.data()))
            action->setEnabled(enabled);
        else if (auto *widget = qobject_cast<QWidget *>(m_follower.data()))
            widget->setEnabled(enabled);
    }
    QPointer<QObject> m_follower;
};

}  // namespace

void followEnabled(QWidget *leader, QAction *follower) { new EnabledFollower(leader, follower); }
void followEnabled(QWidget *leader, QWidget *follower) { new EnabledFollower(leader, follower); }

CaptionPanel::CaptionPanel(const QString &text, QWidget *parent)
    : QFrame(parent), m_caption(new QLabel(text, this))
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 1, 6, 1);
    m_caption->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_caption, 1);
}

QString CaptionPanel::text() const { return m_caption->text(); }
void CaptionPanel::setText(const QString &text) { m_caption->setText(text); }

QToolButton *makeSpeedButton(const char *name, const char *caption, const char *hint,
                             QWidget *parent)
{
    auto *button = named(new QToolButton(parent), name, hint);
    button->setText(QString::fromLatin1(caption));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

QToolButton *makeArrowButton(const char *name, Qt::ArrowType arrow, const char *hint,
                             QWidget *parent)
{
    QToolButton *button = makeSpeedButton(name, "", hint, parent);
    button->setArrowType(arrow);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return button;
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setShadedBackground(QWidget *widget, const QColor &top, const QColor &bottom)
{
    QLinearGradient shade(0, 0, 0, 1);
    shade.setCoordinateMode(QGradient::ObjectMode);
    shade.setColorAt(0, top);
    shade.setColorAt(1, bottom);
    QPalette palette = widget->palette();
    palette.setBrush(QPalette::Window, QBrush(shade));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QColor backgroundOf(const QWidget *widget) { return widget->palette().color(QPalette::Window); }

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QColor textColourOf(const QWidget *widget)
{
    return widget->palette().color(QPalette::WindowText);
}

}  // namespace kestrix
