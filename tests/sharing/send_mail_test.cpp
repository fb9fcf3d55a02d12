// Sending a picture by e-mail: the command line the mail program gets, and how the host's
// mailer receives it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/os/device_fs.h"
#include "platform/os/process.h"
#include "tests/sharing/sharing_support.h"

using sharing_tests::MakeDevice;
using testing_support::Pick;
using testing_support::RunChecked;
using testing_support::SolidBmp;
using testing_support::TempDevice;

TEST(SendPictureByMail, StartsTmailWithTheQuotedPathEvenWithABlankAndAQuoteInTheName) {
    TempDevice device;
    MakeDevice(device, "\\My Documents", {{"a \"b.jpg", SolidBmp(20, 20, 1, 2, 3)}});
    const auto run = RunChecked(device, "cmd:40050");
    EXPECT_EQ(Pick(run.state, "processes processes.0.program messageBox"),
              "[1] \\Windows\\tmail.exe null");
    EXPECT_EQ(run.state.At("processes.0.commandLine").text,
              "-attach \"\\My Documents\\a \"b.jpg\"");
}

TEST(MailAttachArguments, TheWholeQuotedPathIsOneHostFileAndNeverBecomesOptions) {
    TempDevice device;
    plat::DeviceFs::SetRoot(device.Root());
    const std::string hostile = "a\" --bcc spy@example.org \"$(id) b.jpg";
    device.WriteFile("\\P\\" + hostile, "x");
    std::vector<std::string> args;
    ASSERT_TRUE(plat::MailAttachArguments("-attach \"\\P\\" + hostile + "\"", &args));
    EXPECT_EQ(args, (std::vector<std::string>{"--attach", device.Root() + "/P/" + hostile}));

    device.MakeFolder("\\P\\Folder");
    args.clear();
    EXPECT_FALSE(plat::MailAttachArguments("-attach \"\\P\\missing.jpg\"", &args));
    EXPECT_FALSE(plat::MailAttachArguments("-attach \"\\P\\Folder\"", &args));
    EXPECT_FALSE(plat::MailAttachArguments("-attach \"\\P\\..\\..\\etc\\passwd\"", &args));
    EXPECT_FALSE(plat::MailAttachArguments("-attach \\P\\" + hostile, &args));
    EXPECT_FALSE(plat::MailAttachArguments("-attach \"", &args));
    EXPECT_FALSE(plat::MailAttachArguments("", &args));
    EXPECT_TRUE(args.empty());
}
