// The programs as a whole, each a copy in a folder of its own: start-up creates the folders and
// the day log, Qt's messages land in it, and SIGTERM ends the event loop so shutdown runs.
#include <signal.h>

#include <QFileInfo>

#include "ShellSupport.h"
#include "camsim/CameraSim.h"

using shell::ProgramCopy;

namespace {

const QString kCalorvue = QStringLiteral(CALORVUE_PATH);
const QString kHarness = QStringLiteral(HARNESS_PATH);

void expectFolders(const ProgramCopy& p) {
  EXPECT_TRUE(QFileInfo(p.dir() + "/Calorvue-Config").isDir());
  EXPECT_TRUE(QFileInfo(p.dir() + "/Calorvue-Log").isDir());
  EXPECT_TRUE(QFileInfo(p.logPath()).isFile()) << p.logPath().toStdString();
}

}  // namespace

TEST(CalorvueProgram, SigtermEndsTheLoopAndShutdownRuns) {
  ProgramCopy p(kCalorvue);
  ASSERT_TRUE(p.ok());
  ASSERT_TRUE(p.start());
  // Logged once the application object is set up, after the signal handlers are in place.
  ASSERT_TRUE(p.waitForLog("application object ready")) << p.log().toStdString();
  ASSERT_EQ(::kill(static_cast<pid_t>(p.process().processId()), SIGTERM), 0);
  int code = -1;
  ASSERT_TRUE(p.finish(&code));
  EXPECT_EQ(code, 0);
  expectFolders(p);
  const QString log = p.log();
  EXPECT_TRUE(log.contains("quit signal received"));
  EXPECT_TRUE(log.contains("closing 0 modules"));
  EXPECT_TRUE(log.contains("managers deleted"));
}

TEST(CalorvueProgram, SigintEndsTheLoopToo) {
  ProgramCopy p(kCalorvue);
  ASSERT_TRUE(p.ok());
  ASSERT_TRUE(p.start());
  ASSERT_TRUE(p.waitForLog("application object ready"));
  ASSERT_EQ(::kill(static_cast<pid_t>(p.process().processId()), SIGINT), 0);
  int code = -1;
  ASSERT_TRUE(p.finish(&code));
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(p.log().contains("managers deleted"));
}

TEST(StartupHarness, RunsAViewLogsItsWarningAndStartsOnce) {
  ProgramCopy p(kHarness);
  ASSERT_TRUE(p.ok());
  ASSERT_TRUE(p.start({"quit"}));
  int code = -1;
  ASSERT_TRUE(p.finish(&code));
  // 96/97: the second start-up created something or another application object.
  EXPECT_EQ(code, 0) << p.process().readAllStandardError().toStdString();
  expectFolders(p);
  const QString log = p.log();
  // The view's console.warn, through the message handler at WARN with its category.
  EXPECT_TRUE(QRegularExpression("WARN +\\[qml\\] harness view of Calorvue v1\\.6\\.0\\.0330\\n\\n").match(log).hasMatch())
      << log.toStdString();
  EXPECT_TRUE(log.contains("managers deleted"));
}

TEST(StartupHarness, LoggingRulesComeFromTheConfigFolder) {
  // The rules file is read only when the environment points at it before Qt starts logging.
  ProgramCopy p(kHarness);
  ASSERT_TRUE(p.ok());
  ASSERT_TRUE(QDir().mkpath(p.dir() + "/Calorvue-Config"));
  ASSERT_TRUE(shell::writeAll(p.dir() + "/Calorvue-Config/qtlogging.ini", "[Rules]\nqml.warning=false\n"));
  ASSERT_TRUE(p.start({"quit"}));
  int code = -1;
  ASSERT_TRUE(p.finish(&code));
  EXPECT_EQ(code, 0);
  const QString log = p.log();
  EXPECT_FALSE(log.contains("harness view of")) << log.toStdString();
  EXPECT_TRUE(log.contains("managers deleted"));
}

TEST(StartupHarness, SigtermWithALiveCameraClosesItBeforeTheEnd) {
  camsim::CameraSimOptions o;
  o.address = shell::address(3);
  camsim::CameraSim sim(o);
  ASSERT_EQ(sim.start(), 0);
  ProgramCopy p(kHarness);
  ASSERT_TRUE(p.ok());
  ASSERT_TRUE(p.start({"live", shell::qaddress(3)}));
  ASSERT_TRUE(p.waitForLine("live")) << p.process().readAllStandardError().toStdString();
  // The camera saw the program log in (message 7) before its preview was reported open.
  EXPECT_TRUE(sim.log().waitForType(7, 10000));
  ASSERT_TRUE(p.waitForLog("idle view of Calorvue"));
  ASSERT_EQ(::kill(static_cast<pid_t>(p.process().processId()), SIGTERM), 0);
  int code = -1;
  ASSERT_TRUE(p.finish(&code));
  EXPECT_EQ(code, 0);
  const QString log = p.log();
  const qsizetype closing = log.indexOf("closing 1 modules");
  const qsizetype deleted = log.indexOf("managers deleted");
  EXPECT_GE(closing, 0) << log.toStdString();
  EXPECT_GT(deleted, closing);
  sim.stop();
}
