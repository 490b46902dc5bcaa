// The token command on real scripts in a temp folder: the first line is the token; a command
// that fails, hangs, prints nothing or cannot start gives one line that says so.
#include "screening/token_command.h"
#include "support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace kestrix;
using kestrix::test::TempFolder;
using ::testing::HasSubstr;

TEST(TokenCommand, FirstLineIsTheTokenElseOneClearLine)
{
    ::setenv("KESTRIX_PASSWORD", "hunter2", 1);
    TempFolder tmp;
    struct Case {
        std::string command;
        std::string token;
        const char *error;  // part of the error, "" on success
    };
    const Case cases[] = {
        {tmp.script("ok", "printf ' ya29.A-b_c~d+/= \\r\\nsecond line\\n'"), "ya29.A-b_c~d+/=", ""},
        // Arguments are split as for the mail program and reach the program as given.
        {tmp.script("args", "echo \"$1$2\" | tr ' ' _") + " 'a b' \"c\"", "a_bc", ""},
        // Our password is not the command's.
        {tmp.script("env", "echo \"tok-${KESTRIX_PASSWORD:-none}\""), "tok-none", ""},
        {tmp.script("fail", "echo 'refresh token expired' >&2; exit 3"), "",
         "failed (exit code 3): refresh token expired"},
        {tmp.script("empty", "exit 0"), "", "printed no token"},
        {tmp.script("blank", "echo 'two words'"), "", "no valid token"},
        {tmp.script("hang", "exec sleep 30"), "", "gave no token within 1 seconds"},
        {tmp.path("missing").toStdString(), "", "could not be started"},
        {"  ", "", "No token command is set"},
        // No shell: a pipe character is only an argument.
        {"printf %s%s tok '|cat'", "tok|cat", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        const TokenCommandResult got = runTokenCommand(c.command, 1000);
        EXPECT_EQ(got.token, c.token);
        if (*c.error)
            EXPECT_THAT(got.error, HasSubstr(c.error));
        else
            EXPECT_EQ(got.error, "");
    }
    ::unsetenv("KESTRIX_PASSWORD");
}
