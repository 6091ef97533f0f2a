#include "shell/shell.h"
#include "shell/texts.h"

#include <gtest/gtest.h>

TEST(MinimizedIcon, IsCentredWithTruncatingDivision) {
  const auto at = [](int w, int h) {
    const shell::Point p = shell::MinimizedIconPosition(w, h, 32, 32);
    return std::make_pair(p.x, p.y);
  };
  EXPECT_EQ(at(100, 80), std::make_pair(34, 24));
  EXPECT_EQ(at(0, 0), std::make_pair(-15, -15));
  EXPECT_EQ(at(33, 32), std::make_pair(1, 0));
}

// The windows' words for every kind the workflow tells: each kind has
// words, the program's own texts stand exactly as they did, and what a
// kind carries (counts, a folder, an error) is in its words.
TEST(WindowWords, EveryKindIsWordedAndTheProgramsOwnTextsStand) {
  Question question;
  question.count = 7;
  question.folder = "/media/stick/Music";
  question.error = platform::MakeError(platform::ErrorCode::kNoSpace);
  for (int kind = 0; kind <= static_cast<int>(Question::Kind::kClean); ++kind) {
    question.kind = static_cast<Question::Kind>(kind);
    const shell::QuestionWords words = shell::WordsOf(question);
    EXPECT_FALSE(words.text.empty() || words.caption.empty()) << kind;
  }
  Message message;
  message.count = 40000;
  message.limit = 32766;
  message.folder = question.folder;
  message.error = question.error;
  WayBackResult wayBack;
  wayBack.complete = false;
  wayBack.stranded.push_back(Stranded{"/media/stick/Music.tarvello-AB12", {"0001_a.mp3"}, true});
  message.wayBack = &wayBack;
  for (int kind = 0; kind <= static_cast<int>(Message::Kind::kCleaned); ++kind) {
    message.kind = static_cast<Message::Kind>(kind);
    EXPECT_FALSE(shell::WordsOf(message).empty()) << kind;
  }
  StatusLine status;
  status.rows = {5, 5, 0, false};
  for (int kind = 1; kind <= static_cast<int>(StatusLine::Kind::kLeftOut); ++kind) {
    status.kind = static_cast<StatusLine::Kind>(kind);
    status.forecast = {1, 0, 0};
    status.order.kind = OrderProblem::Kind::kStopped;
    status.error = question.error;
    status.folderProblem = StatusLine::FolderProblem::kOther;
    EXPECT_FALSE(shell::StatusText(status).empty()) << kind;
  }

  question.kind = Question::Kind::kRun;
  EXPECT_EQ(shell::WordsOf(question).text, "파일 이름을 바꾸시겠습니까?");
  EXPECT_EQ(shell::WordsOf(question).caption, "확인");
  question.kind = Question::Kind::kExpress;
  EXPECT_EQ(shell::WordsOf(question).text, "sure?\n\n[Search] - [Random] - [Run]");
  question.kind = Question::Kind::kUndo;
  EXPECT_NE(shell::WordsOf(question).text.find("7 files in\n/media/stick/Music\n"), std::string::npos);
  message.kind = Message::Kind::kChooseMethod;
  EXPECT_EQ(shell::WordsOf(message), "method 선택 필요!!");
  message.kind = Message::Kind::kRandomFirst;
  EXPECT_EQ(shell::WordsOf(message), "random 실행 필요!!");
  message.kind = Message::Kind::kTooManyFiles;
  EXPECT_NE(shell::WordsOf(message).find("at most 32766 files at a time, and 40000 are listed"), std::string::npos);
  message.kind = Message::Kind::kUndoFilesWaiting;
  EXPECT_NE(shell::WordsOf(message).find("Waiting in /media/stick/Music.tarvello-AB12:\n0001_a.mp3"),
            std::string::npos);

  status.kind = StatusLine::Kind::kRunEnded;
  EXPECT_EQ(shell::StatusText(status), "COMPLETE!!");
  status.kind = StatusLine::Kind::kUndoEnded;
  EXPECT_EQ(shell::StatusText(status), "UNDONE");
  status.rows = {40, 7, 33, true};
  EXPECT_EQ(shell::StatusText(status), "stopped: 7 of 40 renamed");
  status.rows = {4, 1, 3, false};
  EXPECT_EQ(shell::StatusText(status), "3 of 4 failed");
  status.kind = StatusLine::Kind::kForecast;
  status.forecast = {3, 2, 0};
  EXPECT_EQ(shell::StatusText(status), "3 will fail, 2 lose text");
  Busy busy;
  busy.kind = Busy::Kind::kRenaming;
  busy.done = 12;
  busy.total = 300;
  EXPECT_EQ(shell::BusyText(busy), "renaming... 12 / 300");
}
