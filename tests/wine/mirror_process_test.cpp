// The line mirror across library instances and processes, under Wine: the writer's
// block read by name, two instances of the library in one process, a reader that
// starts before any writer, a block that outlives its writer, and no address space
// lost to repeated Inits and failing reads.
//
// These tests need a process in which no instance has created the block yet, so
// they run as a ctest entry of their own (filter "Mirror*").
#include <gtest/gtest.h>

#include <string.h>

#include <iostream>
#include <string>
#include <vector>

#include "vantrel_dll.h"

namespace {

const std::vector<std::string> kFallback(4, "Glimmora?");

// A peer process with pipes on its standard input and output.
class Peer {
public:
    explicit Peer(const std::string& arguments) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE childOut = nullptr, childIn = nullptr;
        CreatePipe(&out_, &childOut, &inherit, 0);
        CreatePipe(&childIn, &in_, &inherit, 0);
        SetHandleInformation(out_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(in_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = childOut;
        startup.hStdInput = childIn;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::string command = "mirror_peer.exe " + arguments;
        started_ = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process_) != 0;
        CloseHandle(childOut);
        CloseHandle(childIn);
    }
    ~Peer() {
        CloseInput();
        Wait();
        CloseHandle(out_);
        if (started_) {
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }
    bool Started() const { return started_; }
    // The next line of the peer's output, without its line end; "" at its end.
    std::string ReadLine() {
        std::string line;
        char c;
        DWORD got;
        while (ReadFile(out_, &c, 1, &got, nullptr) && got == 1 && c != '\n') {
            if (c != '\r') line += c;
        }
        return line;
    }
    void CloseInput() {
        if (in_ != nullptr) CloseHandle(in_);
        in_ = nullptr;
    }
    DWORD Wait() {
        DWORD code = 999;
        if (started_ && WaitForSingleObject(process_.hProcess, 60000) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process_.hProcess, &code);
        }
        return code;
    }

private:
    HANDLE out_ = nullptr, in_ = nullptr;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> parts;
    size_t at = 0;
    for (size_t bar; (bar = line.find('|', at)) != std::string::npos; at = bar + 1) {
        parts.push_back(line.substr(at, bar - at));
    }
    parts.push_back(line.substr(at));
    return parts;
}

// The block's bytes as any process sees them, opened by name.
std::string SlotBytes(int slot) {
    HANDLE handle = OpenFileMappingA(FILE_MAP_READ, FALSE, "DisplayLines");
    if (handle == nullptr) return "<no block>";
    const auto* block = static_cast<const uint8_t*>(MapViewOfFile(handle, FILE_MAP_READ, 0, 0, 0));
    std::string text(reinterpret_cast<const char*>(block + slot * 81 + 1), block[slot * 81]);
    UnmapViewOfFile(block);
    CloseHandle(handle);
    return text;
}

uint64_t FreeAddressSpace() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    return status.ullAvailVirtual;
}

}  // namespace

// Runs first (alphabetical within the suite is not guaranteed; gtest keeps
// declaration order): no process holds the block yet.
TEST(MirrorAcrossProcesses, AReaderBeforeAnyWriterAttachesWhenOneAppearsAndOutlivesIt) {
    ASSERT_TRUE(CopyDll("vantrel_reader.dll"));
    VantrelDll reader("vantrel_reader.dll");
    ASSERT_NE(reader.module, nullptr);
    EXPECT_EQ(reader.Calculate(), kFallback) << "no block anywhere";
    EXPECT_EQ(reader.Calculate(), kFallback);

    {
        Peer writer("write \"row one\" \"row two\" \"\" \"row four\" --hold");
        ASSERT_TRUE(writer.Started());
        ASSERT_EQ(writer.ReadLine(), "ready");
        EXPECT_EQ(SlotBytes(0), "row one");
        EXPECT_EQ(reader.Calculate(), kFallback) << "the first call after the block appears attaches";
        EXPECT_EQ(reader.Calculate(), (std::vector<std::string>{"row one", "row two", "", "row four"}));
        writer.CloseInput();
        EXPECT_EQ(writer.Wait(), 0u);
    }
    EXPECT_EQ(reader.Calculate(), (std::vector<std::string>{"row one", "row two", "", "row four"}))
        << "the block outlives its writer while the reader holds it";

    {
        Peer writer("write again \"\" \"\" \"\"");
        ASSERT_EQ(writer.ReadLine(), "ready");
        EXPECT_EQ(writer.Wait(), 0u);
    }
    EXPECT_EQ(reader.Calculate(), (std::vector<std::string>{"again", "", "", ""}))
        << "a writer that starts again writes into the same block";

    // A reader in a process of its own: first call fallback, second the rows.
    Peer other("read 2");
    EXPECT_EQ(Split(other.ReadLine()), kFallback);
    EXPECT_EQ(Split(other.ReadLine()), (std::vector<std::string>{"again", "", "", ""}));
    EXPECT_EQ(other.Wait(), 0u);
}

TEST(MirrorAcrossProcesses, TwoInstancesInOneProcessShareTheBlockNotTheirState) {
    ASSERT_TRUE(CopyDll("vantrel_second.dll"));
    VantrelDll writer("vantrel.dll");
    VantrelDll reader("vantrel_second.dll");
    ASSERT_NE(writer.module, reader.module);
    uint8_t ok = 0;
    writer.Init(20, 4, "0", &ok);
    ASSERT_EQ(ok, 1);
    writer.SetPosition(1, 3);
    writer.Write("third row");
    writer.Write("third row again");  // the latest text replaces the slot
    const std::string hundred(100, 'x');
    writer.SetPosition(1, 2);
    writer.Write(hundred.c_str());
    EXPECT_EQ(SlotBytes(2), "third row again");
    EXPECT_EQ(SlotBytes(1), hundred.substr(0, 80));

    reader.Calculate();  // its own state: unattached until this call
    const auto rows = reader.Calculate();
    EXPECT_EQ(rows[1], hundred.substr(0, 80));
    EXPECT_EQ(rows[2], "third row again");
    // The writer's own CalculateEx reads through its writable view, no fallback.
    EXPECT_EQ(writer.Calculate()[2], "third row again");
}

TEST(MirrorAcrossProcesses, RepeatedInitsAndFailingReadsKeepTheAddressSpace) {
    VantrelDll dll("vantrel.dll");
    uint8_t ok = 0;
    dll.Init(20, 4, "0", &ok);
    const uint64_t before = FreeAddressSpace();
    for (int i = 0; i < 200; ++i) dll.Init(20, 4, "0", &ok);
    const uint64_t afterInits = FreeAddressSpace();

    // An attached reader whose buffers cannot be written fails every call.
    ASSERT_TRUE(CopyDll("vantrel_leak.dll"));
    VantrelDll reader("vantrel_leak.dll");
    reader.Calculate();
    char* bad[101] = {reinterpret_cast<char*>(1), reinterpret_cast<char*>(1), reinterpret_cast<char*>(1),
                      reinterpret_cast<char*>(1)};
    const uint64_t beforeReads = FreeAddressSpace();
    for (int i = 0; i < 5000; ++i) reader.CalculateEx(bad);
    const uint64_t afterReads = FreeAddressSpace();

    std::cout << "free address space: " << before / 1024 << " KiB before 200 Inits, " << afterInits / 1024
              << " KiB after; " << beforeReads / 1024 << " KiB before 5000 failing CalculateEx, "
              << afterReads / 1024 << " KiB after\n";
    // A view per call would cost 64 KiB each: 12 MiB for the Inits, 312 MiB for the reads.
    EXPECT_LT(static_cast<int64_t>(before - afterInits), 1 << 20);
    EXPECT_LT(static_cast<int64_t>(beforeReads - afterReads), 1 << 20);
    EXPECT_EQ(reader.Calculate()[0], SlotBytes(0)) << "the reader is still attached";
}
