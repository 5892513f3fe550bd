// Every test of the program runs in a game session of its own, made before
// the test's fixture and gone after it.
#include <gtest/gtest.h>

#include <memory>

#include "game/shell/session.h"

namespace game {
namespace {

class FreshSession : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    session_ = std::make_unique<GameSession>();
    scope_ = std::make_unique<SessionScope>(*session_);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    scope_.reset();
    session_.reset();
  }

 private:
  std::unique_ptr<GameSession> session_;
  std::unique_ptr<SessionScope> scope_;
};

const bool kInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSession);
  return true;
}();

}  // namespace
}  // namespace game
