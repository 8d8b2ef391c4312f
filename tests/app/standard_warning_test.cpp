// The standard messages as the user sees them on the headless engine:
// titles, composed texts, icons, buttons and defaults, and the messages
// that end the program with their HALT texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/standard_warning.h"
#include "app/warning_table.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

class StandardWarningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    runtime::clearError();
    m_driver.startFrame();
  }

  // Starts a procedure that shows message `number` and keeps the answer.
  void show(int number, std::string t1 = {}, std::string t2 = {}, int errorCode = 0) {
    m_thread = m_driver.start(
        [this, number, t1, t2, errorCode] {
          if (errorCode != 0) runtime::setErrorFromCode(errorCode);
          m_answer = StandardWarning(number, t1, t2);
          m_returned = true;
        },
        0);
  }

  ui::Window* box() { return m_driver.messageBox(m_thread); }

  std::string text() { return box() ? box()->text(1) : std::string(); }

  std::vector<std::string> buttons() {
    std::vector<std::string> out;
    if (!box()) return out;
    for (int f : box()->fields())
      if (ui::messageButtonBit(*box(), f) != 0) out.push_back(box()->text(f));
    return out;
  }

  std::string focusedButton() { return box() ? box()->text(box()->focus()) : std::string(); }

  std::string iconText() {
    for (const auto& c : box()->decl().controls)
      if (c.type == ui::ControlType::Image) return c.text;
    return {};
  }

  ui::TestDriver m_driver{programCatalogue()};
  int m_thread = 0;
  int m_answer = -1;
  bool m_returned = false;
};

TEST_F(StandardWarningTest, MessageFifteenWithoutAnErrorSaysTheRecordWasChanged) {
  show(15, "Categories   ");
  ASSERT_NE(box(), nullptr);
  EXPECT_EQ(box()->title(), "Update Operation Error");
  EXPECT_EQ(text(), "This record was changed by another station.");
  EXPECT_EQ(iconText(), iconName(kIconInformationId));
  EXPECT_EQ(buttons(), std::vector<std::string>{"OK"});
  ASSERT_TRUE(m_driver.answer("OK"));
  EXPECT_TRUE(m_returned);
  EXPECT_EQ(m_answer, 0x01);
}

TEST_F(StandardWarningTest, MessageFifteenWithAnErrorNamesItAndTheCause) {
  show(15, "Categories   ", {}, runtime::err::kAccessDenied);
  ASSERT_NE(box(), nullptr);
  EXPECT_EQ(text(),
            "An error (Access Denied (5)) was experienced when attempting to update a record from the file.  "
            "Probable Cause: Categories.");
}

TEST_F(StandardWarningTest, MessageThirtyFourNamesTheTransactionInLowerCaseThenAsGiven) {
  show(34, "Delete   ", "Categories  ", runtime::err::kAccessDenied);
  ASSERT_NE(box(), nullptr);
  EXPECT_EQ(box()->title(), "Transaction Framing Error");
  EXPECT_EQ(text(),
            "Error: (Access Denied (5)) attempting to frame the delete transaction on Categories.  "
            "Delete transaction cancelled.");
}

TEST_F(StandardWarningTest, TheErrorTextIsTakenWhenTheMessageIsCalled) {
  m_thread = m_driver.start(
      [this] {
        runtime::setErrorFromCode(runtime::err::kAccessDenied);
        m_answer = StandardWarning(35, "LINKAR");
      },
      0);
  runtime::clearError();  // another procedure clears the error while the box is up
  ASSERT_NE(box(), nullptr);
  EXPECT_EQ(text(), "Error: (Access Denied (5)) attempting to access a record from the LINKAR file.  "
                    "Returning to previous window.");
}

TEST_F(StandardWarningTest, UpdateQuestionsOfferYesNoCancelWithCancelAsDefault) {
  show(16);
  ASSERT_NE(box(), nullptr);
  EXPECT_EQ(buttons(), (std::vector<std::string>{"&Yes", "&No", "Cancel"}));
  EXPECT_EQ(focusedButton(), "Cancel");
  ASSERT_TRUE(m_driver.answerKey(ui::Key::kEnterKey));
  EXPECT_EQ(m_answer, 0x40);
}

TEST_F(StandardWarningTest, ConfirmDeleteIsAnExclamationWithOkAndCancel) {
  show(32);
  ASSERT_NE(box(), nullptr);
  EXPECT_EQ(box()->title(), "Confirm Delete");
  EXPECT_EQ(iconText(), iconName(kIconExclamationId));
  EXPECT_EQ(buttons(), (std::vector<std::string>{"OK", "Cancel"}));
  EXPECT_EQ(focusedButton(), "Cancel");
  ASSERT_TRUE(m_driver.answer("OK"));
  EXPECT_EQ(m_answer, 0x01);
}

TEST_F(StandardWarningTest, InvalidKeyAnsweredYesReturnsAndTheProgramGoesOn) {
  show(2, "LINKAR ");
  ASSERT_NE(box(), nullptr);
  EXPECT_EQ(text(), "LINKAR key file is invalid.  Do you want to rebuild the key?");
  EXPECT_EQ(focusedButton(), "&Yes");
  ASSERT_TRUE(m_driver.answer("&Yes"));
  EXPECT_EQ(m_answer, 0x02);
  EXPECT_FALSE(m_driver.ended());
}

TEST_F(StandardWarningTest, InvalidKeyAnsweredNoEndsTheProgramWithItsHaltText) {
  show(2, "LINKAR");
  ASSERT_TRUE(m_driver.answer("&No"));
  EXPECT_FALSE(m_returned);
  ui::Window* halt = box();
  ASSERT_NE(halt, nullptr);
  EXPECT_EQ(halt->title(), "Halt");
  EXPECT_EQ(halt->text(1), "Invalid Key!");
  ASSERT_TRUE(m_driver.answer("OK"));
  EXPECT_TRUE(m_driver.ended());
  EXPECT_EQ(m_driver.exitCode(), 0);
}

TEST_F(StandardWarningTest, FatalMessagesEndTheProgramAfterTheirBox) {
  const std::pair<int, const char*> fatal[] = {{1, "Invalid File!"},       {3, "Error Rebuilding Key!"},
                                               {4, "File Creation Error!"}, {5, "File Creation Error!"},
                                               {30, "Disk Error"}};
  for (const auto& [number, haltText] : fatal) {
    ui::TestDriver driver(programCatalogue());
    driver.startFrame();
    bool returned = false;
    int thread = driver.start(
        [&returned, number = number] {
          runtime::setErrorFromCode(runtime::err::kAccessDenied);
          StandardWarning(number, "LINKAR.SDF");
          returned = true;
        },
        0);
    ASSERT_NE(driver.messageBox(thread), nullptr) << number;
    ASSERT_TRUE(driver.answer("OK")) << number;
    ui::Window* halt = driver.messageBox(thread);
    ASSERT_NE(halt, nullptr) << number;
    EXPECT_EQ(halt->text(1), haltText);
    ASSERT_TRUE(driver.answer("OK"));
    EXPECT_TRUE(driver.ended()) << number;
    EXPECT_FALSE(returned) << number;
  }
}

TEST_F(StandardWarningTest, AnUnusedNumberShowsNothing) {
  show(99, "x");
  EXPECT_EQ(box(), nullptr);
  EXPECT_TRUE(m_returned);
  EXPECT_EQ(m_answer, 0);
}

}  // namespace
}  // namespace linkar::app
