#include "screening/mail_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <string_view>

namespace kestrix {

namespace {

std::string bytes(const QString &text) { return QFile::encodeName(text).toStdString(); }

// One message's lines into its header lines and its size.
struct MessageBuilder {
    FileMessage message;
    bool inHeader = true;

    void line(std::string_view text)
    {
        message.size += static_cast<long long>(text.size()) + 2;
        if (!inHeader)
            return;
        if (text.empty())
            inHeader = false;
        else
            message.headerLines.emplace_back(text);
    }
};

bool readFile(const QString &path, QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    content = file.readAll();
    return true;
}

}  // namespace

std::vector<FileMessage> splitMailBytes(const std::string &label, std::string_view text)
{
    std::vector<FileMessage> messages;
    const bool mbox = text.substr(0, 5) == "From ";
    MessageBuilder current;
    bool started = false;
    bool previousEmpty = true;
    auto finish = [&] {
        if (started)
            messages.push_back(std::move(current.message));
        current = MessageBuilder();
        started = false;
    };
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos = next;
        if (mbox && previousEmpty && line.substr(0, 5) == "From ") {
            finish();  // a separator line is no part of the message
            started = true;
            previousEmpty = false;
            continue;
        }
        started = true;
        previousEmpty = line.empty();
        current.line(line);
    }
    finish();
    if (mbox && messages.size() > 1) {
        for (size_t i = 0; i < messages.size(); ++i)
            messages[i].label = label + ':' + std::to_string(i + 1);
    } else if (!messages.empty()) {
        messages[0].label = label;
    }
    return messages;
}

std::vector<FileMessage> readMailPath(const QString &path, std::string &error)
{
    error.clear();
    const QFileInfo info(path);
    if (!info.exists()) {
        error = "Cannot read \"" + bytes(path) + "\": no such file or folder";
        return {};
    }
    QStringList files;
    if (info.isDir()) {
        const QDir dir(path);
        const bool maildir = dir.exists(QStringLiteral("cur")) || dir.exists(QStringLiteral("new"));
        const QStringList folders = maildir ? QStringList{QStringLiteral("cur"), QStringLiteral("new")}
                                            : QStringList{QStringLiteral(".")};
        for (const QString &folder : folders) {
            const QDir sub(dir.filePath(folder));
            for (const QString &name : sub.entryList(QDir::Files | QDir::Hidden, QDir::Name))
                files << QDir::cleanPath(sub.filePath(name));
        }
    } else {
        files << path;
    }
    std::vector<FileMessage> messages;
    for (const QString &file : files) {
        QByteArray content;
        if (!readFile(file, content)) {
            error = "Cannot read \"" + bytes(file) + "\"";
            return {};
        }
        for (FileMessage &message :
             splitMailBytes(bytes(file), std::string_view(content.constData(), size_t(content.size()))))
            messages.push_back(std::move(message));
    }
    return messages;
}

}  // namespace kestrix
