#include <gtest/gtest.h>

#include "Sprav.h"

TEST(SpravModel, NewModelHasNoSelection) {
    TSprav sprav;
    EXPECT_EQ(sprav.CurrentFileIndex(), -1);
    EXPECT_EQ(sprav.CurrentSinonimIndex, -1);
    EXPECT_EQ(sprav.CurrentFile, nullptr);
}
