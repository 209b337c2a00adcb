#include "search/note_bodies.h"

#include <gtest/gtest.h>

#include <string>

#include "testsupport.h"

namespace {

std::string text(const std::optional<std::string_view>& b) { return b ? std::string(*b) : "(none)"; }

}  // namespace

// F3 takes the body this run holds (an edit not yet saved), else the cached
// one without opening the file, else the file, which the cache then learns.
TEST(SearchBodies, MemoryThenCacheThenFile) {
  tavtest::DataFolder d;
  d.writeIndex("表/1,0,0,0,予定\n表/2,0,0,0,会議\n");
  d.writeNote("表/1", "<n>予定ソ表</n>");
  d.writeNote("表/2", "<n>会議</n>");
  tavtest::ageFile(d.path("表/1"), 100);
  tavtest::ageFile(d.path("表/2"), 100);

  tav::KeywordIndex index;
  tav::SearchBodies bodies;
  index.load(d.name());
  bodies.beginWalk(index, 0);
  EXPECT_EQ("予定ソ表", text(bodies.body(index, "表/1")));
  EXPECT_EQ("予定ソ表", text(bodies.cache().find("表/1"))) << "a body as its file holds it is learned";
  EXPECT_EQ("(none)", text(bodies.body(index, "表/9")));
  ASSERT_TRUE(bodies.cache().saveIfChanged());

  // A fresh load: the cached body serves without the note being read.
  index.load(d.name());
  bodies.beginWalk(index, 0);
  EXPECT_EQ("予定ソ表", text(bodies.body(index, "表/1")));
  EXPECT_FALSE(index.findByKey("表/1")->bodyLoaded);

  // An edit of this run wins over the cache.
  index.storeNote("書き換え", "予定", "表/1", 0, false);
  EXPECT_EQ("書き換え", text(bodies.body(index, "表/1")));
}

// Another program's change to a note read earlier in this run is what F3 sees.
TEST(SearchBodies, ABodyReadBeforeIsReadAgainOnceItsFileChanged) {
  tavtest::DataFolder d;
  d.writeIndex("表/1,0,0,0,予定\n");
  d.writeNote("表/1", "<n>古いソ</n>");
  tav::KeywordIndex index;
  tav::SearchBodies bodies;
  index.load(d.name());
  bodies.beginWalk(index, 0);
  ASSERT_EQ("古いソ", text(bodies.body(index, "表/1")));
  ASSERT_TRUE(index.findByKey("表/1")->bodyLoaded);
  d.writeNote("表/1", "<n>新しい表の本文</n>");
  bodies.beginWalk(index, 0);
  EXPECT_EQ("新しい表の本文", text(bodies.body(index, "表/1")));
}

// With the folder watched, a walk lists nothing and the cache is opened on a
// thread at start; a file the watch reports is never served from the cache.
TEST(SearchBodies, AWatchedFolderForgetsTheCachedBodyOfAReportedFile) {
  tavtest::DataFolder d;
  d.writeIndex("表/1,0,0,0,予定\n");
  d.writeNote("表/1", "<n>古いソ</n>");
  tavtest::ageFile(d.path("表/1"), 100);
  {
    tav::KeywordIndex index;
    tav::SearchBodies bodies;
    index.load(d.name());
    bodies.beginWalk(index, 0);
    ASSERT_EQ("古いソ", text(bodies.body(index, "表/1")));
    ASSERT_TRUE(bodies.cache().saveIfChanged());
  }
  tav::KeywordIndex index;
  tav::SearchBodies bodies;
  index.load(d.name());
  bodies.openInBackground(index);
  bodies.beginWalk(index, 0, true);
  d.writeNote("表/1", "<n>新しい表の本文</n>");
  bodies.forget("表/1");
  EXPECT_EQ("新しい表の本文", text(bodies.body(index, "表/1")));
}
