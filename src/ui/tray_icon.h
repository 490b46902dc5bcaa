#pragma once
// TTBNArea: the tray icon with its menu PopupMenu1 ("&Hide", "&Show", "&Get Messages", "Mailtool",
// "&Exit"), its two pictures (normal and new mail) and the desktop notice. It only reports what
// the user chose; the window decides what that does (TrayControl).

#include <QObject>
#include <QPixmap>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace kestrix {

// The tray pictures, drawn for the small sizes trays use (16 and 22 pixels) so that they stay
// sharp there: an envelope on a blue tile, with newMail a red badge in the corner.
QPixmap trayPicture(int size, bool newMail);

class TTBNArea : public QObject {
    Q_OBJECT
public:
    // Creates the icon and the menu (parented to window so they die with it) without showing
    // the icon yet.
    explicit TTBNArea(QObject *window);
    ~TTBNArea() override;

    // Puts the icon into the tray (true) or takes it out.
    void setEnabled(bool enabled);
    bool enabled() const;
    void setNewMail(bool newMail);
    bool newMail() const { return m_newMail; }
    void setTip(const QString &tip);
    // The tip names the program, then how the last connection was protected (as the status
    // bar's indicator); an empty text leaves the program's name alone.
    void setProtectionTip(const QString &protection);
    // A desktop notification from the icon (title "Kestrix for POP3").
    void notify(const QString &text);
    void setMailToolEnabled(bool enabled);

    QSystemTrayIcon *TBNArea1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *Hide1 = nullptr, *Show1 = nullptr, *GetMessages1 = nullptr, *Mailtool1 = nullptr,
            *Exit1 = nullptr;

signals:
    void leftClicked();
    // The menu is about to open: "&Hide" is offered exactly when this answers true.
    void menuOpening();
    void hideChosen();
    void showChosen();
    void getMessagesChosen();
    void mailToolChosen();
    void exitChosen();

private:
    bool m_newMail = false;
};

}  // namespace kestrix
