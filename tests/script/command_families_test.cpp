#include "script/command_families.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvolin::script {
namespace {

// A family handling a fixed id range that answers with its tag.
class TagFamily : public CommandFamily {
 public:
  TagFamily(int first, int last, int tag, std::string asset)
      : first_(first), last_(last), tag_(tag), asset_(std::move(asset)) {}
  bool Handles(std::int32_t c) const override { return c >= first_ && c <= last_; }
  void Reset() override { ++resets; }
  int FindAsset(AssetKind, std::string_view name) const override {
    return name == asset_ ? tag_ : -1;
  }
  bool Execute(std::int32_t, const std::int32_t*, int, std::int32_t* out, int& outCount,
               ErrorState&) override {
    out[0] = tag_;
    outCount = 1;
    return true;
  }
  int resets = 0;

 private:
  int first_, last_, tag_;
  std::string asset_;
};

}  // namespace

TEST(CommandFamilies, EachCommandGoesToTheFirstFamilyThatTookIt) {
  TagFamily a(100, 110, 1, "fondo"), b(105, 120, 2, "jefe");
  CommandFamilies all;
  all.Add(&a);
  all.Add(&b);
  all.Add(nullptr);
  ErrorState err;
  std::int32_t out[3] = {};
  int n = 0;
  ASSERT_TRUE(all.Execute(105, nullptr, 0, out, n, err));
  EXPECT_EQ(out[0], 1);  // overlap: the earlier family wins
  ASSERT_TRUE(all.Execute(115, nullptr, 0, out, n, err));
  EXPECT_EQ(out[0], 2);
  EXPECT_FALSE(all.Handles(99));
  EXPECT_FALSE(all.Handles(-1));
  EXPECT_FALSE(all.Handles(5000));
  EXPECT_FALSE(all.Execute(99, nullptr, 0, out, n, err));
  EXPECT_EQ(err.GetError(), 3);

  EXPECT_EQ(all.FindAsset(AssetKind::Level, "jefe"), 2);
  EXPECT_EQ(all.FindAsset(AssetKind::Level, "nadie"), -1);
  all.Reset();
  EXPECT_EQ(a.resets + b.resets, 2);
}

}  // namespace tarvolin::script
