// Torn reads across processes: this process stores rows in a tight loop while a
// second wine_tests.exe, started with VANTREL_TORN_READER=<result file>, reads
// them (HardeningTornRead.ReaderChild, skipped in every other run). A reader may
// see a mix of two texts, never a byte that no text had at that place.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "vantrel_dll.h"

namespace {

const std::string kDriverName = "Vantrel v1.0";

std::vector<std::string> TornTexts() {
    std::vector<std::string> texts;
    for (int length : {80, 1, 40, 79, 0, 60, 80, 13}) {
        texts.push_back(std::string(static_cast<size_t>(length), static_cast<char>('a' + texts.size())));
    }
    texts.push_back(std::string(80, '\xFF'));
    return texts;
}

}  // namespace

TEST(HardeningTornRead, ReaderChild) {
    const char* result = getenv("VANTREL_TORN_READER");
    if (result == nullptr) GTEST_SKIP() << "run by HardeningTornRead.AReaderProcessNeverSeesMoreThanWrittenBytes";
    const auto texts = TornTexts();
    std::vector<std::set<char>> allowed(80);
    for (const std::string& t : texts) {
        for (size_t i = 0; i < t.size(); ++i) allowed[i].insert(t[i]);
    }
    const std::set<std::string> whole(texts.begin(), texts.end());
    VantrelDll reader("vantrel.dll");
    ASSERT_NE(reader.module, nullptr);
    reader.Calculate();  // attaches
    long reads = 0, mixes = 0, bad = 0;
    const DWORD start = GetTickCount();
    for (int call = 0; call < 40000 && GetTickCount() - start < 4000; ++call) {
        for (const std::string& text : reader.Calculate()) {
            ++reads;
            bool ok = text.size() <= 80 && text != "<wrote past 81 bytes>";
            for (size_t i = 0; ok && i < text.size(); ++i) ok = allowed[i].count(text[i]) != 0;
            if (!ok) ++bad;
            if (ok && whole.count(text) == 0) ++mixes;
        }
    }
    FILE* out = fopen(result, "w");
    ASSERT_NE(out, nullptr);
    fprintf(out, "%ld %ld %ld\n", reads, mixes, bad);
    fclose(out);
}

TEST(HardeningTornRead, AReaderProcessNeverSeesMoreThanWrittenBytes) {
    if (getenv("VANTREL_TORN_READER") != nullptr) GTEST_SKIP();
    ASSERT_NE(Dll().module, nullptr);
    const auto texts = TornTexts();
    uint8_t ok = 0;
    ASSERT_EQ(std::string(Dll().Init(20, 4, "0", &ok)), kDriverName);
    // Every position of every slot holds a byte of ours before the reader starts.
    for (uint32_t row = 1; row <= 4; ++row) {
        Dll().SetPosition(1, row);
        Dll().Write(texts[0].c_str());
    }
    char resultFile[MAX_PATH];
    GetTempPathA(MAX_PATH, resultFile);
    strcat(resultFile, "vantrel_torn_reads.txt");
    DeleteFileA(resultFile);
    SetEnvironmentVariableA("VANTREL_TORN_READER", resultFile);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    char command[] = "wine_tests.exe --gtest_filter=HardeningTornRead.ReaderChild";
    const bool started = CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &process) != 0;
    SetEnvironmentVariableA("VANTREL_TORN_READER", nullptr);
    ASSERT_TRUE(started);
    long stores = 0;
    const DWORD start = GetTickCount();
    // Until the reader is done (it stops by itself), or 60 s at the most.
    // SetPosition waits 2 ms in the controller link, so each row gets a run of stores.
    for (uint32_t row = 1; WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT &&
                           GetTickCount() - start < 60000;
         row = row % 4 + 1) {
        Dll().SetPosition(1, row);
        for (int i = 0; i < 500; ++i, ++stores) Dll().Write(texts[static_cast<size_t>(stores) % texts.size()].c_str());
        BridgeStubReset();
    }
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    EXPECT_EQ(exitCode, 0u);
    long reads = -1, mixes = -1, bad = -1;
    FILE* in = fopen(resultFile, "r");
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(fscanf(in, "%ld %ld %ld", &reads, &mixes, &bad), 3);
    fclose(in);
    DeleteFileA(resultFile);
    std::cout << "torn reads (processes): " << stores << " stores, " << reads << " texts read, " << mixes
              << " mixes of two texts, " << bad << " bad\n";
    EXPECT_GT(reads, 0);
    EXPECT_EQ(bad, 0);
}
