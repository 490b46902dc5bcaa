#include "app/demo_screen.h"

#include "profiles/data_folder.h"
#include "profiles/text_file.h"

#include "screening/screener.h"
#include "ui/form1.h"
#include "ui/form4_message_reader.h"
#include "ui/deleted_mail_page.h"
#include "ui/messages_page.h"
#include "ui/top_bar.h"
#include "ui/window_controller.h"
#include "ui/wrap_grid.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QToolButton>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

namespace kestrix {

DemoScreen::DemoScreen(TForm1 &form, WindowController &controller, QString folder)
    : m_form(form), m_controller(controller), m_folder(std::move(folder))
{
    (void)makePrivateFolder(m_folder);
    m_poll.setInterval(100);
    Screener &screener = m_controller.screener();
    after([this] { return m_form.isVisible() && m_waited >= 5; }, [this, &screener] {
        if (!savePicture(QStringLiteral("start-page.png")))
            return;
        m_form.topBar->Edit4->setText(QString::fromLocal8Bit(qgetenv("KESTRIX_DEMO_PASSWORD")));
        m_form.refreshTick();
        m_form.Button1Click();
        after([&screener] {
            return screener.dispatcher.pendingCommand == cmdIdle && !screener.dispatcher.dispatching() &&
                   screener.messages.hasMessages();
        }, [this, &screener] {
            // Show the details of the first row with a verdict, else of the first row from
            // an unknown sender.
            const int last = int(screener.messages.rows.size());
            int row = 1;
            while (row < last && !screener.messages.messageTable.verdicts(row).any())
                ++row;
            if (!screener.messages.messageTable.verdicts(row).any()) {
                row = 1;
                while (row < last && screener.messages.messageTable.isTrusted(row))
                    ++row;
            }
            m_form.messagesPage->stringgrid1->setCurrentRow(row);
            m_waited = 0;
            after([this] { return m_waited >= 5; }, [this, &screener] {
                if (!savePicture(QStringLiteral("messages-page.png")))
                    return;
                readFromTheGrid();
            });
        });
    });
}

// The current row's "Read message" from the grid's menu: the reader over the window.
void DemoScreen::readFromTheGrid()
{
    Screener &screener = m_controller.screener();
    m_form.messagesPage->ReadMessage1->trigger();
    after([this, &screener] {
        return m_controller.form4().isVisible() && screener.dispatcher.pendingCommand == cmdIdle
               && !screener.dispatcher.dispatching();
    }, [this] {
        m_waited = 0;
        after([this] { return m_waited >= 5; }, [this] {
            QWidget &reader = m_controller.form4();
            reader.raise();
            if (!savePicture(QStringLiteral("reader.png"),
                             m_form.frameGeometry().united(reader.frameGeometry())))
                return;
            reader.hide();
            deleteKnownBad();
        });
    });
}

// "Delete selected" in the known-bad mode, answered Yes: the copies kept of the deleted
// messages on the "Deleted mail" page.
void DemoScreen::deleteKnownBad()
{
    Screener &screener = m_controller.screener();
    screener.grid.knownBadSelectMode = true;
    m_form.Button10Click();
    after([&screener] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            if (QAbstractButton *yes = box->button(QMessageBox::Yes))
                yes->click();
            else
                box->close();
        }
        return screener.dispatcher.pendingCommand == cmdIdle && !screener.dispatcher.dispatching()
               && screener.profile.quarantine && !screener.profile.quarantine->entries().empty();
    }, [this] {
        m_form.topBar->SpeedButtonDeletedMail->click();
        QTableView *grid = m_form.deletedMailPage->GridDeletedMail;
        grid->setCurrentIndex(grid->model()->index(0, 0));
        m_waited = 0;
        after([this] { return m_waited >= 5; }, [this] {
            if (savePicture(QStringLiteral("deleted-mail-page.png")))
                failedLogin();
        });
    });
}

// The same check with a mistyped password: the window says the login failed.
void DemoScreen::failedLogin()
{
    Screener &screener = m_controller.screener();
    m_form.topBar->Edit4->setText(QStringLiteral("mistyped"));
    m_form.refreshTick();
    m_form.Button1Click();
    after([&screener] {
        // The refusal is told in a message box first: it is closed as the user would.
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
        return screener.dispatcher.pendingCommand == cmdIdle && !screener.dispatcher.dispatching() &&
               !screener.session.commandFailure.empty();
    }, [this] {
        m_waited = 0;
        after([this] { return m_waited >= 5; }, [this] {
            if (!savePicture(QStringLiteral("failed-login.png")))
                return;
            std::fprintf(stdout, "demo-screen: pictures saved in %s\n",
                         qPrintable(QDir(m_folder).absolutePath()));
            std::fflush(stdout);
            m_form.ProgramExit();
        });
    });
}

void DemoScreen::after(std::function<bool()> ready, std::function<void()> next)
{
    m_poll.disconnect();
    m_waited = 0;
    connect(&m_poll, &QTimer::timeout, this, [this, ready, next] {
        ++m_waited;
        if (ready()) {
            m_poll.stop();
            next();
        } else if (m_waited > 300) {
            m_poll.stop();
            fail("the window did not get there within 30 s");
        }
    });
    m_poll.start();
}

// The picture is taken from the screen (the X server's pixels), falling back to the window's
// own rendering where the platform has no screen to read.
bool DemoScreen::savePicture(const QString &fileName, QRect area)
{
    if (area.isNull()) {
        m_form.raise();
        area = m_form.frameGeometry();
    }
    QApplication::processEvents();
    QPixmap picture;
    if (QScreen *screen = m_form.screen())
        picture = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (picture.isNull())
        picture = m_form.grab();
    const QString path = QDir(m_folder).filePath(fileName);
    if (!picture.save(path)) {
        fail("a picture could not be saved");
        return false;
    }
    return true;
}

void DemoScreen::fail(const char *why)
{
    std::fprintf(stderr, "demo-screen: %s\n", why);
    QCoreApplication::exit(2);
}

}  // namespace kestrix
