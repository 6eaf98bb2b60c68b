#include "platform/scripted_input.h"

#include <gtest/gtest.h>

namespace tarvolin::platform {
namespace {

TEST(ScriptedKeys, LatchFollowsFramesAndQueries) {
  ScriptedKeySource keys;
  keys.hold('K', 2, 3);
  keys.hold('K', 4, 4);  // touching holds make one long press
  keys.hold(0, 1, 9);    // no key
  keys.hold(300, 1, 9);
  keys.hold('J', 5, 4);  // empty range
  keys.setFrame(1);
  EXPECT_FALSE(keys.queryKey('K').down);
  keys.setFrame(2);
  KeyQuery q = keys.queryKey('K');
  EXPECT_TRUE(q.down);
  EXPECT_TRUE(q.pressedSinceLastQuery);
  q = keys.queryKey('K');
  EXPECT_TRUE(q.down);
  EXPECT_FALSE(q.pressedSinceLastQuery);
  keys.setFrame(3);
  keys.setFrame(4);
  EXPECT_FALSE(keys.queryKey('K').pressedSinceLastQuery);
  keys.setFrame(5);
  EXPECT_FALSE(keys.queryKey('K').down);
  EXPECT_FALSE(keys.queryKey('J').down);
  EXPECT_FALSE(keys.queryKey(0).down);
  EXPECT_FALSE(keys.queryKey(-3).down);
  EXPECT_FALSE(keys.queryKey(256).down);
  // A press that came and went between queries is still reported once.
  keys.setFrame(2);
  keys.setFrame(6);
  q = keys.queryKey('K');
  EXPECT_FALSE(q.down);
  EXPECT_TRUE(q.pressedSinceLastQuery);
}

TEST(ScriptedKeys, FixedViewAnswersFromItsFields) {
  FixedEmulatorView view;
  EXPECT_TRUE(view.exists());
  EXPECT_TRUE(view.isActive());
  EXPECT_FALSE(view.isUnderCursor());
  view.underCursor = true;
  view.windowExists = false;
  // A window that does not exist is neither active nor under the cursor.
  EXPECT_FALSE(view.isActive());
  EXPECT_FALSE(view.isUnderCursor());
  view.windowExists = true;
  view.activateMainWindow();
  EXPECT_FALSE(view.isActive());
  EXPECT_EQ(view.mainWindowActivations, 1);
}

}  // namespace
}  // namespace tarvolin::platform
