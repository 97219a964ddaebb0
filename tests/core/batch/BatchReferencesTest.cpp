// The pair of references a batch carries its files between, as the file page, transform
// and the library build it: a block shift from its text or its value, or two listed
// references by name, which must differ.

#include <gtest/gtest.h>

#include "core/batch/BatchReferences.h"
#include "core/trans/TransFactory.h"

TEST(BatchReferencesTest, ABlockShiftIsTheNullReferenceAndTheShift) {
  CBatchReferences references;
  EXPECT_EQ(references.Input(), nullptr);
  EXPECT_EQ(references.SetBlockShiftText(" -0.25 "), "");
  EXPECT_EQ(references.Input()->GetName(), "NULL");
  EXPECT_EQ(references.Output()->GetShortName(), "Block Shift_-0.25m");
  EXPECT_EQ(references.BlockShift(), -0.25);
  // The edit box's rule: a lone "-" passes and shifts by nothing; an exponent does not.
  EXPECT_EQ(references.SetBlockShiftText("-"), "");
  EXPECT_EQ(references.BlockShift(), 0.0);
  EXPECT_EQ(references.SetBlockShiftText("1e3"), "Invalid block shift (not a number)");
  references.SetBlockShift(1.5);
  EXPECT_EQ(references.Output()->GetShortName(), "Block Shift_1.50m");
}

TEST(BatchReferencesTest, ListedReferencesAreLookedUpAndMustDiffer) {
  const CTransFactory& factory = CTransFactory::Instance();
  CBatchReferences references;
  EXPECT_EQ(references.SetListed("lat", "ellipsoid"), "");
  EXPECT_EQ(references.Input(), factory.Find("LAT"));
  EXPECT_EQ(references.Output(), factory.Find("Ellipsoid (GDA94/WGS84)"));
  EXPECT_EQ(references.BlockShift(), std::nullopt);
  EXPECT_EQ(references.SetListed("LAT", "lat"), "The input and output vertical references must be different");
  EXPECT_EQ(references.SetListed("nowhere", "lat"), factory.UnknownReferenceMessage("nowhere"));
  EXPECT_EQ(references.SetListed("LAT", "nowhere"), factory.UnknownReferenceMessage("nowhere"));
}
