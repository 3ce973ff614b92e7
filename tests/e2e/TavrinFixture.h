#pragma once
// A real tavrin.exe to drive, its list file in a fresh folder and no
// command started after a change.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "e2e/TavrinDriver.h"

struct TavrinFixture : ::testing::Test {
    TempDir dir;
    TavrinDriver tavrin;
    std::string list;
    void SetUp() override {
        list = dir.File("List.tvl");
        tavrin.SetString("ConfPath", list);
        tavrin.SetString("DeskCalPath", "");
    }
};

// The same with the menu's preview off, for walks that only choose.
struct TavrinFixtureNoPreview : TavrinFixture {
    void SetUp() override {
        TavrinFixture::SetUp();
        tavrin.SetInt("EnableSelectPreview", 0);
    }
};
