#pragma once
#include "mel/interpreter.h"

#include <gtest/gtest.h>

#include <string>

// Runs MEL on the process interpreter with its output captured.
class MelTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& in = host::mel::interpreter();
        in.resetSession();
        in.setOutputSink([this](const std::string& s) { out += s; });
        in.setWarningSink([this](const std::string& s) { warnings += s; });
        in.setErrorSink([this](const std::string& s) { errors += s; });
    }
    void TearDown() override {
        host::mel::interpreter().resetSinks();
        host::mel::interpreter().resetSession();
    }
    host::mel::ExecResult run(const std::string& text, const std::string& file = {}) {
        return host::mel::interpreter().execute(text, file);
    }
    std::string out, warnings, errors;
};
