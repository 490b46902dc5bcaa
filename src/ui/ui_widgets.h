#pragma once
// Small widget kinds the window is built from: a label that can be clicked, a captioned panel,
// a speed button (flat tool button) and the helpers that name and place them.

#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include <string>

class QAction;
class QWidget;

namespace kestrix {

// A label with a click, like the window's "Profile:" and account labels.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);
signals:
    void clicked();
protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A raised or lowered panel with a centred caption ("Panel3", "Panel13"); its "text" property
// lets the view set captions by name, as with labels and buttons.
class CaptionPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    explicit CaptionPanel(const QString &text, QWidget *parent = nullptr);
    QString text() const;
    void setText(const QString &text);
    QLabel *captionLabel() const { return m_caption; }
private:
    QLabel *m_caption;
};

// A flat tool button with a caption, as the top bar and the message page use them.
QToolButton *makeSpeedButton(const char *name, const char *caption, const char *hint,
                             QWidget *parent);

// A speed button that shows only an arrow (a text-only style would hide the arrow).
QToolButton *makeArrowButton(const char *name, Qt::ArrowType arrow, const char *hint,
                             QWidget *parent);

// Object name and tool tip in one step; returns the widget.
template <typename W>
W *named(W *widget, const char *name, const char *hint = nullptr)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (hint)
        widget->setToolTip(QString::fromLatin1(hint));
    return widget;
}

inline QString L1(const char *text) { return QString::fromLatin1(text); }

// Texts cross the widget boundary as Latin-1 bytes, in both directions.
inline QString fromBytes(const std::string &text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}
inline std::string toBytes(const QString &text) { return text.toLatin1().toStdString(); }
// A text the user typed that is kept as written (a blacklist word): Latin-1 bytes when every
// character has one, as the files always held, else UTF-8, so that no character is lost.
std::string typedBytes(const QString &text);

// The action is enabled exactly while the widget is: a menu item that repeats a button.
void followEnabled(QWidget *leader, QAction *follower);
void followEnabled(QWidget *leader, QWidget *follower);

// Background colour of a plain widget (panels, the connection indicator).
void setBackground(QWidget *widget, const QColor &colour);
// A background shading from top to bottom. Done with the palette rather than a style sheet,
// so the children keep the window's font.
void setShadedBackground(QWidget *widget, const QColor &top, const QColor &bottom);
QColor backgroundOf(const QWidget *widget);
// Text colour of a label.
void setTextColour(QWidget *widget, const QColor &colour);
QColor textColourOf(const QWidget *widget);

}  // namespace kestrix
