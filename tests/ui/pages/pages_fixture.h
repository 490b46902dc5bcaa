#pragma once
// A window with a Screener and the "default" profile's files in a temporary data folder, and a
// message table filled through the Screener's rows, for the list page tests.

#include "profiles/profile_store.h"
#include "screening/screener.h"
#include "ui/form1.h"
#include "support/window_fixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace kestrix::test {

struct PagesFixture {
    QTemporaryDir dir;
    WindowFixture window;
    TForm1 &form = window.form;
    Screener &screener = window.screener();
    ScriptedPrompter &prompter = window.prompter;
    ProfilePaths files;

    PagesFixture()
    {
        files = profilePaths(dir.path(), "default");
        form.setProfileFiles([this] { return files; });
    }

    // One table row per sender, message numbers from 1; subjects "hello N".
    void fillTable(const std::vector<std::string> &senders)
    {
        for (size_t i = 0; i < senders.size(); ++i) {
            const int number = int(i) + 1;
            screener.messages.rows.push_back({number, senders[i],
                                     "hello " + std::to_string(number),
                                     std::to_string(100 + number),
                                     {"id:" + std::to_string(100 + number), "Size: 900 byte",
                                      "From: " + senders[i], "Content-Type: text/plain"}});
        }
        screener.messages.startCode = "0";
        screener.buildMessageTable(false);
    }
};

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace kestrix::test
