// The phone book read in the window: the rows reach the window chunk by chunk while the
// window repaints without taking input, and a link that fails part-way leaves the rows read
// so far in the list.
#include <gtest/gtest.h>

#include "app/phonebook_binding.h"
#include "main_window_fixture.h"
#include "sim/handset_state.h"

namespace quorvex::testing {
namespace {

class PhoneBookBindingTest : public MainWindowTest {
 protected:
  // A Classic handset of 100 indices in four chunks with entries in the first, second and
  // fourth chunk.
  void startBook(int hangupAfter = -1) {
    sim::HandsetState st = sim::EmptyState();
    st.phoneSize = 100;
    st.simSize = 0;
    for (const int index : {3, 7, 45, 95}) {
      sim::PhoneEntry e;
      e.number = "+" + std::to_string(index);
      e.name = "N" + std::to_string(index);
      st.entries[index] = e;
    }
    sim::SaveStateFile(path("handset.txt"), st);
    sim::SimOptions o;
    o.model = "V60";
    o.demoData = false;
    o.stateFile = path("handset.txt");
    o.hangupAfter = hangupAfter;
    startPhone(o);
    binding_ = BindPhoneBook(main());
  }
  std::vector<std::string> captions() const {
    std::vector<std::string> c;
    for (const ListRow& r : main_->ListView1.rows) c.push_back(r.caption);
    return c;
  }

  std::unique_ptr<PhoneBookBinding> binding_;
};

TEST_F(PhoneBookBindingTest, TheReadShowsItsRowsChunkByChunkWithoutTakingInput) {
  startBook();
  main().ListView1.add("old");  // what the window showed before the read
  std::vector<std::vector<std::string>> seen;
  ui_.onPump = [&] { seen.push_back(captions()); };
  main().click("sbReadAll");
  using V = std::vector<std::string>;
  EXPECT_EQ(seen, (std::vector<V>{
                      {"3", "7"}, {"3", "7", "45"}, {"3", "7", "45"}, {"3", "7", "45", "95"}}));
  EXPECT_EQ(ui_.pumps, std::vector<bool>(4, true));
  EXPECT_EQ(captions(), (V{"3", "7", "45", "95"}));
  EXPECT_EQ(main().ListView1.cellText(main().ListView1.rows[2], 1), "N45");
  EXPECT_TRUE(ui_.errors.empty());
}

TEST_F(PhoneBookBindingTest, ALinkFailingPartWayKeepsTheRowsOfTheChunksBefore) {
  // The prologue takes nine commands; the link goes in the third chunk.
  startBook(9 + 2);
  std::vector<std::size_t> seen;
  ui_.onPump = [&] { seen.push_back(main().ListView1.rows.size()); };
  main().click("sbReadAll");
  EXPECT_EQ(seen, (std::vector<std::size_t>{2, 3}));
  EXPECT_EQ(captions(), (std::vector<std::string>{"3", "7", "45"}));
  ASSERT_EQ(ui_.errors.size(), 1u);
  EXPECT_TRUE(main().control("sbReadAll").enabled) << "the window left its busy state";
  EXPECT_EQ(binding_->section.ListView1.rows.size(), 3u);
}

}  // namespace
}  // namespace quorvex::testing
