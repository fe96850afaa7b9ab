// The real program, run as a process: each run gets a working folder of its own (with the
// built data folder linked in when it needs one), its own per-user folder and its own folder
// for the single-instance lock.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../../levels/tests/CirclesSolver.h"
#include "../../levels/tests/JigsawSolver.h"
#include "../../levels/tests/SlidingSolver.h"
#include "../../levels/tests/WheelsSolver.h"
#include "NimbrelInterfaces/CObjectsInterfaceMenu.h"
#include "NimbrelLevels/TubingBoard.h"
#include "NimbrelWorld/ScreenFit.h"
#include "Patience.h"
#include "ProfileDump.h"
#include "VornelAudio/CAudioEngineAL.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "VornelAudio/CWaveFile.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"
#include "WindowPicture.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = NIMBREL_BIN_DIR;
const std::string kErrorText =
    "Error (v3,115): An error occurred while loading.\n\nThe application will now exit.\n\n"
    "(Missing file: Data_full_Win32\\" NIMBREL_APP_NAME "_full_Win32.HD.pak)";
const std::string kWarningText = "Warning (v3,115): The Data path is unreachable.\n\nThe application will now exit.";

bool HaveX11Display()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

bool HaveXdotool()
{
    return HaveX11Display() && std::system("command -v xdotool >/dev/null 2>&1") == 0;
}

std::string Shell(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/nimbrel_e2e_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        work = root + "/run";
        fs::create_directories(work);
        fs::create_directories(root + "/user");
        fs::create_directories(root + "/runtime");
        // A virtual server started without -noreset resets when its last client leaves, and a
        // program that connects just then finds no display. The polls with xdotool come and go
        // while a started program connects, so the test holds a connection of its own.
        if (HaveX11Display())
            Platform_HasDisplay();
    }
    void TearDown() override
    {
        for (pid_t pid : running)
            if (pid > 0) {
                kill(-pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        std::error_code error;
        fs::remove_all(root, error);
    }

    void LinkData()
    {
        fs::create_directory_symlink(kBin + "/Data_full_Win32", work + "/Data_full_Win32");
    }

    // The built data folder linked in but for its music, which becomes a pipe that the test
    // holds open without writing: the world load stops there after its first frames have been
    // shown, as a slow disk would stop it. The pipe's path.
    std::string LinkDataWithHeldMusic()
    {
        fs::create_directories(work + "/Data_full_Win32/musics");
        for (const auto& entry : fs::directory_iterator(kBin + "/Data_full_Win32"))
            if (entry.path().filename() != "musics")
                fs::create_symlink(entry.path(), work + "/Data_full_Win32/" + entry.path().filename().string());
        const std::string music = work + "/Data_full_Win32/musics/manor_theme.wav";
        EXPECT_EQ(mkfifo(music.c_str(), 0600), 0);
        return music;
    }

    // The held music's pipe opened for writing once the program has opened it (its load has
    // reached the music), `meanwhile` called while it waits; -1 when that never happens within
    // a minute on a quiet machine. The program's whole group must be killed before the pipe is closed: an end of
    // file would fail the load.
    int WaitForMusicReader(pid_t pid, const std::string& music, const std::function<void()>& meanwhile)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60 * kPatience);
        int pipe = -1;
        while (pipe < 0 && waitpid(pid, nullptr, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline) {
            pipe = open(music.c_str(), O_WRONLY | O_NONBLOCK);
            if (pipe < 0)
                meanwhile();
        }
        return pipe;
    }

    // Starts the program; standard error goes to a file of the run.
    pid_t Start(const std::string& program, const std::vector<std::string>& args, bool offscreen = false)
    {
        const std::string path = kBin + "/" + program;
        const std::string errPath = root + "/stderr.txt";
        const pid_t parent = getpid();
        const pid_t pid = fork();
        if (pid == 0) {
            // A test process that dies (a sanitizer abort) takes its programs with it: left
            // running, they would hold the test's output open and stall the whole run.
            if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent)
                _exit(127);
            // Its own group, so that a kill also reaches the copy of itself in which SDL shows
            // an error box.
            setpgid(0, 0);
            chdir(work.c_str());
            const int fd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd >= 0)
                dup2(fd, 2);
            setenv("XDG_DATA_HOME", (root + "/user").c_str(), 1);
            setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
            // Sound goes nowhere unless a test says where.
            setenv("ALSOFT_DRIVERS", "null", 1);
            for (const auto& [name, value] : environment)
                value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
            if (offscreen)
                setenv("SDL_VIDEODRIVER", "offscreen", 1);  // boxes go to standard error
            // No leak check at the program's exit: on a loaded machine the leak checker's tracer
            // thread sometimes crashes there and fails the run. The in-process harness tests
            // check the same game code for leaks.
            const char* asan = getenv("ASAN_OPTIONS");
            setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
            // The sanitizer's slow unwinder must stay off: llvmpipe registers the unwind tables
            // of each shader it compiles under the unwinder's lock and allocates there, and a
            // slow unwind from that allocation waits on the same lock for ever.
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(path.c_str()));
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(path.c_str(), argv.data());
            _exit(127);
        }
        setpgid(pid, pid);  // as the child does, whichever runs first
        running.push_back(pid);
        return pid;
    }

    // The exit status, or -1 when the program did not end in time, `seconds` on a quiet
    // machine (it is then killed).
    int Wait(pid_t pid, int seconds = 60)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds * kPatience);
        int status = 0;
        for (;;) {
            const pid_t got = waitpid(pid, &status, WNOHANG);
            if (got == pid)
                break;
            if (std::chrono::steady_clock::now() > end) {
                kill(-pid, SIGKILL);
                waitpid(pid, &status, 0);
                Forget(pid);
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        Forget(pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }

    int Run(const std::string& program, const std::vector<std::string>& args, bool offscreen = false)
    {
        return Wait(Start(program, args, offscreen));
    }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string Stderr() { return ReadFile(root + "/stderr.txt"); }
    // Packs the sample's sources, changed by the caller first, into the working data folder.
    void PackSample(const std::function<void(const std::string& sources)>& change);

    bool AnyLogFile()
    {
        for (const auto& entry : fs::directory_iterator(work))
            if (entry.path().extension() == ".log")
                return true;
        return false;
    }

    // The X id of the program's window, waiting for it to show; empty when none.
    std::string MainWindow(pid_t pid)
    {
        for (int i = 0; i < 300; ++i) {
            const std::string ids = Shell("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null");
            std::istringstream lines(ids);
            std::string id;
            while (lines >> id) {
                const std::string geometry = Shell("xdotool getwindowgeometry " + id + " 2>/dev/null");
                if (geometry.find("Geometry: ") != std::string::npos &&
                    Shell("xdotool getwindowname " + id).rfind(NIMBREL_APP_NAME, 0) == 0)
                    return id;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return "";
    }

    // The size of the program's window ("WxH"), waiting for it to appear; empty when none.
    std::string WindowGeometry(pid_t pid)
    {
        const std::string id = MainWindow(pid);
        const std::string geometry = id.empty() ? "" : Shell("xdotool getwindowgeometry " + id + " 2>/dev/null");
        const size_t at = geometry.find("Geometry: ");
        return at == std::string::npos ? "" : geometry.substr(at + 10, geometry.find('\n', at) - at - 10);
    }

    // The title of the program's window once the program has given it one (a title other than
    // the bare application name the window is made with), or the last one seen when the
    // program ends first or ten seconds (on a quiet machine) have passed.
    std::string WindowTitle(pid_t pid)
    {
        std::string title;
        siginfo_t info{};
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10 * kPatience);
        // Until the program ends (asked without collecting it, which Wait does).
        while (waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0 &&
               std::chrono::steady_clock::now() < deadline) {
            std::istringstream ids(Shell("xdotool search --pid " + std::to_string(pid) + " 2>/dev/null"));
            for (std::string id; ids >> id;) {
                std::string name = Shell("xdotool getwindowname " + id + " 2>/dev/null");
                if (!name.empty() && name.back() == '\n')
                    name.pop_back();
                if (name.empty())
                    continue;
                title = name;
                if (name != NIMBREL_APP_NAME)
                    return title;
            }
        }
        return title;
    }

    void Forget(pid_t pid)
    {
        for (pid_t& p : running)
            if (p == pid)
                p = 0;
    }

    // Whether a window of the display has this name (xdotool does not match the UTF-8 names of
    // SDL's boxes).
    bool WindowNamed(const std::string& name)
    {
        return Shell("xwininfo -root -tree 2>/dev/null").find("\"" + name + "\":") != std::string::npos;
    }

    std::string root, work;
    std::vector<pid_t> running;
    std::vector<std::pair<std::string, std::string>> environment;  // for the next Start; "" removes
};

}  // namespace

TEST_F(Program, RunsFramesFromItsTimerAndEnds)
{
    if (!HaveX11Display())
        GTEST_SKIP() << "needs a display (run under xvfb-run)";
    LinkData();
    EXPECT_EQ(Run("nimbrel", {"--frames", "60"}), 0) << Stderr();
    // Every line the program logs is an informational one, which the log drops.
    EXPECT_FALSE(AnyLogFile());
}

TEST_F(Program, RunsFramesBackToBackWithoutATimer)
{
    if (!HaveX11Display())
        GTEST_SKIP() << "needs a display (run under xvfb-run)";
    LinkData();
    EXPECT_EQ(Run("nimbrel_test_polling", {"--frames", "30"}), 0) << Stderr();
}

TEST_F(Program, TheWindowTitleComesFromTheStringTables)
{
    if (!HaveXdotool())
        GTEST_SKIP() << "needs an X display and xdotool (run under xvfb-run)";
    LinkData();
    const struct {
        const char* variable;
        const char* locale;
        const char* title;
    } cases[] = {
        {"LANG", "C", "Nimbrel – The Manor"},
        {"LC_ALL", "fr_FR.UTF-8", "Nimbrel – Le Manoir"},
        {"LANG", "fr_FR.UTF-8", "Nimbrel – Le Manoir"},
        {"LANG", "en_US.UTF-8", "Nimbrel – The Manor"},
        {"LANG", "de_DE.UTF-8", "Nimbrel – The Manor"},  // no German tables: the first language there is
    };
    for (const auto& c : cases) {
        fs::remove_all(root + "/user");
        fs::create_directories(root + "/user");
        environment = {{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", ""}};
        environment.push_back({c.variable, c.locale});
        // The program runs until the title is read.
        const pid_t pid = Start("nimbrel", {"--frames", "100000"});
        const std::string title = WindowTitle(pid);
        kill(pid, SIGTERM);
        EXPECT_EQ(Wait(pid), 0) << Stderr();
        EXPECT_EQ(title, c.title) << c.locale;
    }
}

TEST_F(Program, MissingPackShowsTheErrorAndFails)
{
    EXPECT_EQ(Run("nimbrel", {"--frames", "1"}, true), 255);
    EXPECT_NE(Stderr().find(kErrorText), std::string::npos) << Stderr();
    // The log names the status in words.
    EXPECT_NE(Stderr().find("# Start-up failed! the pack is missing (0x8004000B)\n"), std::string::npos) << Stderr();
}

TEST_F(Program, WithoutADisplayItSaysSoAndEnds)
{
    LinkData();
    environment = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}};
    EXPECT_EQ(Run("nimbrel", {}), 255);
    EXPECT_NE(Stderr().find("there is no display"), std::string::npos) << Stderr();
    EXPECT_NE(Stderr().find("xvfb-run -a"), std::string::npos) << Stderr();

    // A display that is named but cannot be opened: SDL's fallback, a driver that shows
    // nothing, is refused, and the start fails instead of playing unseen.
    environment = {{"DISPLAY", ":65000"}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}};
    EXPECT_EQ(Run("nimbrel", {"--frames", "30"}), 255);
    EXPECT_NE(Stderr().find("An error occurred while loading."), std::string::npos) << Stderr();
}

TEST_F(Program, TerminationClosesAnOpenBox)
{
    if (!HaveX11Display())
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        const pid_t pid = Start("nimbrel", {"--frames", "1"});  // no data: the error box
        bool open = false;
        for (int i = 0; i < 300 * kPatience && !open; ++i) {
            open = WindowNamed("Error (v3,115)");
            if (!open)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_TRUE(open) << "no error box: " << Stderr();
        // Ended by the signal alone: the box would wait for a click for ever.
        kill(pid, signal);
        EXPECT_EQ(Wait(pid, 5), 255) << Stderr();
        EXPECT_FALSE(WindowNamed("Error (v3,115)"));
    }
}

TEST_F(Program, EmptyApplicationNameWarnsAndWritesNoLog)
{
    LinkData();
    EXPECT_EQ(Run("nimbrel_test_noname", {}, true), 255);
    EXPECT_NE(Stderr().find(kWarningText), std::string::npos) << Stderr();
    EXPECT_FALSE(AnyLogFile());
}

TEST_F(Program, SecondInstanceRaisesTheFirstAndLeaves)
{
    if (!HaveXdotool())
        GTEST_SKIP() << "needs an X display and xdotool (run under xvfb-run)";
    LinkData();
    const pid_t first = Start("nimbrel", {});
    ASSERT_NE(WindowGeometry(first), "") << "the first instance shows no window";
    EXPECT_EQ(Run("nimbrel", {}), 255);
    EXPECT_NE(Stderr().find("another copy is already running"), std::string::npos) << Stderr();
    // With an argument the check is off, and the copy runs on its own.
    EXPECT_EQ(Run("nimbrel", {"--frames", "5"}), 0) << Stderr();
    EXPECT_EQ(waitpid(first, nullptr, WNOHANG), 0) << "the first instance ended";
    kill(first, SIGTERM);  // the platform turns it into a quit request
    EXPECT_EQ(Wait(first), 0) << Stderr();
}

TEST_F(Program, ShiftAtStartGivesAWindow)
{
    if (!HaveXdotool())
        GTEST_SKIP() << "needs an X display and xdotool (run under xvfb-run)";
    // The display forgets held keys when its last client leaves: this process stays one.
    ASSERT_TRUE(Platform_HasDisplay());
    int32_t desktopWidth = 0, desktopHeight = 0;
    ASSERT_TRUE(Platform_GetDesktopSize(&desktopWidth, &desktopHeight));
    LinkData();

    // Without saved options the game starts in full screen...
    pid_t pid = Start("nimbrel", {"--frames", "100000"});
    EXPECT_EQ(WindowGeometry(pid), std::to_string(desktopWidth) + "x" + std::to_string(desktopHeight));
    kill(pid, SIGTERM);
    EXPECT_EQ(Wait(pid), 0) << Stderr();

    // ...and with SHIFT held in a window, fitted into the desktop.
    ASSERT_EQ(std::system("xdotool keydown shift"), 0);
    pid = Start("nimbrel", {"--frames", "100000"});
    const std::string geometry = WindowGeometry(pid);
    std::system("xdotool keyup shift");
    kill(pid, SIGTERM);
    EXPECT_EQ(Wait(pid), 0) << Stderr();
    const int height = static_cast<int>(double(desktopHeight) * double(0.9f));
    EXPECT_EQ(geometry, std::to_string(static_cast<int>(height * (double(desktopWidth) / desktopHeight))) + "x" +
                            std::to_string(height));
}

namespace {

constexpr uint32_t kMixRate = 44100;

// The stereo samples of a WAV file as floats: 16-bit PCM or 32-bit float, plain or extensible.
std::vector<float> ReadStereo(const std::string& path)
{
    std::vector<float> samples;
    CWaveFile wave(nullptr);
    if (Failed(wave.Open(UtilsString_FromUtf8(path.c_str()).c_str())) || wave.GetFormat()->channels != 2)
        return samples;
    const uint16_t bits = wave.GetFormat()->bitsPerSample;
    std::vector<uint8_t> data(wave.GetSize());
    uint32_t read = 0;
    wave.Read(data.data(), uint32_t(data.size()), &read);
    for (uint32_t at = 0; at + bits / 8 <= read; at += bits / 8) {
        if (bits == 32) {
            float v;
            std::memcpy(&v, &data[at], 4);
            samples.push_back(v);
        } else if (bits == 16) {
            samples.push_back(int16_t(data[at] | data[at + 1] << 8) / 32768.0f);
        }
    }
    return samples;
}

// The first frame that is not silent.
size_t FirstSound(const std::vector<float>& stereo)
{
    size_t i = 0;
    while (i < stereo.size() && std::fabs(stereo[i]) < 1e-4f)
        ++i;
    return i / 2;
}

double Rms(const std::vector<float>& stereo, size_t firstFrame, size_t frames)
{
    double sum = 0;
    for (size_t i = firstFrame * 2; i < (firstFrame + frames) * 2; ++i)
        sum += double(stereo[i]) * stereo[i];
    return std::sqrt(sum / double(frames * 2));
}

}  // namespace

TEST_F(Program, PlaysTheMusicAtFullLevel)
{
    if (!HaveX11Display())
        GTEST_SKIP() << "needs a display (run under xvfb-run)";
    LinkData();
    const std::string out = root + "/out.wav";
    std::ofstream(root + "/alsoft.conf") << "[general]\ndrivers=wave\n[wave]\nfile=" << out << "\n";
    environment = {{"ALSOFT_CONF", root + "/alsoft.conf"}, {"ALSOFT_DRIVERS", "wave"}};
    // The music starts with the world load: without the splash that is the first frame.
    ASSERT_EQ(Run("nimbrel_test_nosplash", {"--frames", "120"}), 0) << Stderr();
    const std::vector<float> played = ReadStereo(out);
    const size_t start = FirstSound(played);
    ASSERT_GT(played.size() / 2, start + kMixRate / 2) << "less than half a second of music";
    const size_t frames = std::min<size_t>(played.size() / 2 - start, kMixRate * 3 / 2);

    // The same file through a loopback device at volume 1 (the process's other OpenAL users,
    // the in-process game, play to no device).
    setenv("ALSOFT_DRIVERS", "null", 1);
    WorldData data{};
    data.dataPathWord = -1;
    CAudioEngineAL engine(&data);
    ASSERT_EQ(engine.InitLoopback(kMixRate), kStatusOk);
    CAudioObject* music = engine.CreateObject(0, kAudioPlayLooping);
    ASSERT_NE(music, nullptr);
    const std::string file = kBin + "/Data_full_Win32/musics/manor_theme.wav";
    ASSERT_EQ(music->LoadFromFile(UtilsString_FromUtf8(file.c_str()).c_str(), 0), kStatusOk);
    ASSERT_EQ(music->Play(), kStatusOk);
    std::vector<float> reference(frames * 2 + 4096);
    engine.RenderLoopback(reference.data(), uint32_t(reference.size() / 2));
    engine.Release();

    const double level = Rms(played, start, frames) / Rms(reference, FirstSound(reference), frames);
    EXPECT_LT(std::fabs(20.0 * std::log10(level)), 1.0) << "level " << level;
}

TEST_F(Program, RunsSilentWithoutASoundDevice)
{
    if (!HaveX11Display())
        GTEST_SKIP() << "needs a display (run under xvfb-run)";
    LinkData();
    environment = {{"ALSOFT_DRIVERS", "none"}};
    EXPECT_EQ(Run("nimbrel", {"--frames", "30"}), 0) << Stderr();
    EXPECT_NE(Stderr().find("No sound device: the game runs silent"), std::string::npos) << Stderr();
}

TEST_F(Program, DisplayChoiceIsSavedAtQuitAndKeptNextTime)
{
    if (!HaveXdotool())
        GTEST_SKIP() << "needs an X display and xdotool (run under xvfb-run)";
    ASSERT_TRUE(Platform_HasDisplay());
    int32_t desktopWidth = 0, desktopHeight = 0;
    ASSERT_TRUE(Platform_GetDesktopSize(&desktopWidth, &desktopHeight));
    const std::string desktop = std::to_string(desktopWidth) + "x" + std::to_string(desktopHeight);
    LinkData();
    const std::string options = root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.options.sav";
    auto readOptions = [&options] { return ReadFile(options); };

    // A first run writes the options file: full screen.
    ASSERT_EQ(Run("nimbrel", {"--frames", "10"}), 0) << Stderr();
    std::string saved = readOptions();
    EXPECT_EQ(saved.compare(0, 3, "\xEF\xBB\xBF"), 0) << saved;
    EXPECT_NE(saved.find("\nENABLE_FULLSCREEN = 1\n"), std::string::npos) << saved;

    // The player chose a window; Alt+Enter switches it to full screen, and the quit saves that.
    const size_t at = saved.find("ENABLE_FULLSCREEN = 1");
    ASSERT_NE(at, std::string::npos);
    saved[at + 20] = '0';
    std::ofstream(options, std::ios::binary | std::ios::trunc) << saved;
    pid_t pid = Start("nimbrel", {"--frames", "100000"});
    const std::string windowed = WindowGeometry(pid);
    ASSERT_NE(windowed, "");
    EXPECT_NE(windowed, desktop);
    // The keys reach the program before the quit request: both come through its event queue in
    // the order they were made.
    ASSERT_EQ(std::system(("xdotool windowfocus --sync " + MainWindow(pid) + " key alt+Return").c_str()), 0);
    kill(pid, SIGTERM);
    ASSERT_EQ(Wait(pid), 0) << Stderr();
    EXPECT_NE(readOptions().find("\nENABLE_FULLSCREEN = 1\n"), std::string::npos) << readOptions();

    // The next run starts full screen.
    pid = Start("nimbrel", {"--frames", "100000"});
    EXPECT_EQ(WindowGeometry(pid), desktop);
    kill(pid, SIGTERM);
    EXPECT_EQ(Wait(pid), 0) << Stderr();
}

// The sample's data folder with a pack of the sample's sources as changed by the caller.
void Program::PackSample(const std::function<void(const std::string& sources)>& change)
{
    const std::string data = work + "/Data_full_Win32";
    const std::string sources = root + "/pack";
    fs::create_directories(data);
    fs::copy(std::string(VORNEL_SOURCE_DIR) + "/data/sample/pack", sources, fs::copy_options::recursive);
    fs::copy(kBin + "/../sample_staging", sources,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    change(sources);
    const std::string pack = data + "/" NIMBREL_APP_NAME "_full_Win32.HD.pak";
    for (const auto& entry : fs::directory_iterator(kBin + "/Data_full_Win32"))
        if (entry.path().extension() != ".pak")
            fs::create_symlink(entry.path(), data + "/" + entry.path().filename().string());
    ASSERT_EQ(std::system(("\"" + kBin + "/vornel\" pack create \"" + pack + "\" \"" + sources + "\"").c_str()), 0);
}

TEST_F(Program, APackWithoutTheExternalSettingsFailsTheStart)
{
    PackSample([](const std::string& sources) { fs::remove(sources + "/Nimbrel.External.ini"); });
    EXPECT_EQ(Run("nimbrel", {"--frames", "1"}, true), 255);
    EXPECT_NE(Stderr().find("An error occurred while loading."), std::string::npos) << Stderr();
    EXPECT_NE(Stderr().find("Nimbrel.External.ini"), std::string::npos) << Stderr();
}

TEST_F(Program, ALoadingPictureWithoutItsSizeInTheNameStopsTheStart)
{
    // The picture is there; its name does not say how large it is.
    PackSample([](const std::string& sources) {
        fs::copy_file(sources + "/textures/loading_1024x768.png", sources + "/loading.png");
    });
    EXPECT_EQ(Run("nimbrel_test_unsized", {"--frames", "1"}, true), 255);
    EXPECT_NE(Stderr().find("An error occurred while loading."), std::string::npos) << Stderr();
    EXPECT_NE(Stderr().find("No picture size (such as _1024x768) in the name: loading.png"), std::string::npos)
        << Stderr();
}

TEST_F(Program, AMainScriptThatDoesNotCompileEndsTheGameWithItsError)
{
    // A main script that is source text with a syntax error.
    PackSample([](const std::string& sources) {
        std::ofstream(sources + "/" NIMBREL_APP_NAME "_main.script", std::ios::binary)
            << "function main() {\r\n    }}\r\n";
    });

    EXPECT_EQ(Run("nimbrel_test_nosplash", {"--frames", "30"}, true), 255);
    const std::string error = Stderr();
    EXPECT_NE(error.find("An error occurred while loading."), std::string::npos) << error;
    EXPECT_NE(error.find("(Script error! "), std::string::npos) << error;
    EXPECT_NE(error.find("(\"" NIMBREL_APP_NAME "_main.script\" : line=2)"), std::string::npos) << error;
}

namespace {

// The display's root window as xwd writes it (32-bit pixels, any byte order), read back as
// 0xRRGGBB words; empty when it cannot be read.
RootPicture ReadRootWindow(const std::string& path)
{
    RootPicture picture;
    if (std::system(("xwd -root -silent -out \"" + path + "\"").c_str()) != 0)
        return picture;
    std::ifstream in(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
    if (file.size() < 100)
        return picture;
    const auto word = [bytes](size_t at) {
        return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
    };
    // The header's words, big-endian: its size, then the pixmap's; then the colour map (12
    // bytes an entry: pixel, red, green, blue of 16 bits, flags, pad) and the rows.
    const uint32_t headerSize = word(0), width = word(16), height = word(20), lsbFirst = word(28) == 0;
    const uint32_t pixelBytes = word(44) / 8, bytesPerLine = word(48), visualClass = word(52), colours = word(76);
    const size_t start = size_t(headerSize) + size_t(colours) * 12;
    if ((pixelBytes != 3 && pixelBytes != 4) || word(56) != 0xFF0000 || word(60) != 0xFF00 || word(64) != 0xFF ||
        bytesPerLine < width * pixelBytes || start + size_t(bytesPerLine) * height > file.size())
        return picture;
    // A DirectColor visual shows each channel through the colour map (a gamma ramp).
    const bool mapped = visualClass == 5 && colours == 256;
    const auto channel = [&](uint32_t value, int component) {
        return mapped ? uint32_t(bytes[headerSize + value * 12 + 4 + component * 2]) : value;
    };
    picture.width = int(width);
    picture.height = int(height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = bytes + start + size_t(y) * bytesPerLine + size_t(x) * pixelBytes;
            const uint8_t* first = lsbFirst ? p : p + pixelBytes - 3;  // the colour's three bytes
            const uint32_t r = lsbFirst ? first[2] : first[0], g = first[1], b = lsbFirst ? first[0] : first[2];
            picture.pixels.push_back(channel(r, 0) << 16 | channel(g, 1) << 8 | channel(b, 2));
        }
    return picture;
}

// A picture of the sample's pack as 0xRRGGBB words, top row first (a texture stores its bottom
// row first); empty when it cannot be read.
RootPicture PackPicture(const char16_t* name)
{
    const std::string pack = kBin + "/Data_full_Win32/" NIMBREL_APP_NAME "_full_Win32.HD.pak";
    PackRecord record{};
    WorldData world{};
    RootPicture picture;
    if (Failed(OpenPackFile(&record, UtilsString_FromUtf8(pack.c_str()).c_str(), 0)))
        return picture;
    C3DTextureRaw image(&world);
    if (Succeeded(FindPackEntry(name, &record)) && Succeeded(image.LoadFromPacker(&record)) &&
        (image.GetDepth() == 32 || image.GetDepth() == 24)) {
        const size_t bytes = image.GetDepth() / 8;  // R, G, B (, A)
        picture.width = image.GetWidth();
        picture.height = image.GetHeight();
        for (int y = picture.height - 1; y >= 0; --y)
            for (int x = 0; x < picture.width; ++x) {
                const uint8_t* p = image.GetPixels() + (size_t(y) * size_t(picture.width) + size_t(x)) * bytes;
                picture.pixels.push_back(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
            }
    }
    image.Release();
    ClosePackFile(&record);
    return picture;
}

// The colour of the sample's loading picture's bottom-left corner.
uint32_t LoadingPictureCorner()
{
    const RootPicture picture = PackPicture(u"textures/loading_1024x768.png");
    return picture.pixels.empty() ? 0xFFFFFFFFu : picture.At(0, picture.height - 1);
}

// The pixel (x, y) of an X window as the server shows it, 0xRRGGBB; -1 when it cannot be read.
int64_t WindowPixel(const std::string& id, int x, int y)
{
    return WindowColours(id, {{x, y}})[0];
}

// The first splash picture is warm (more red than blue) left of its logo, the studio's cool.
bool IsWarm(int64_t rgb)
{
    return rgb >= 0 && int(rgb >> 16 & 0xFF) > int(rgb & 0xFF) + 6;
}
bool IsCool(int64_t rgb)
{
    return rgb >= 0 && int(rgb & 0xFF) > int(rgb >> 16 & 0xFF) + 6;
}

// Where an X window lies on the root window and its size, as xwininfo tells them; a value it
// does not tell is left as it was.
void WindowArea(const std::string& id, int* pLeft, int* pTop, int* pWidth, int* pHeight)
{
    const std::string info = Shell("xwininfo -id " + id);
    const auto field = [&info](const char* name, int* value) {
        const size_t at = info.find(name);
        if (at != std::string::npos)
            *value = std::atoi(info.c_str() + at + std::strlen(name));
    };
    field("Absolute upper-left X:", pLeft);
    field("Absolute upper-left Y:", pTop);
    field("Width:", pWidth);
    field("Height:", pHeight);
}

// Waits (ten seconds on a quiet machine) until the window's pixel passes the test.
bool WaitForPixel(const std::string& id, int x, int y, bool (*test)(int64_t))
{
    for (int i = 0; i < 100 * kPatience; ++i) {
        if (test(WindowPixel(id, x, y)))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

}  // namespace

// The loading screen of the real program, read back from the display while the world load
// waits for its music: the music file is a pipe that the test holds open without writing, so
// the load stops after its first frames have been shown, as a slow disk would stop it.
TEST_F(Program, TheLoadingScreenFitsWindowsOfOtherShapes)
{
    if (!HaveXdotool() || std::system("command -v xwd >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs an X display, xdotool and xwd (run under xvfb-run)";
    const uint32_t corner = LoadingPictureCorner();
    ASSERT_NE(corner, 0xFFFFFFFFu);
    // The picture is fitted by the width it can keep: a 16:9 window keeps all of it and cuts
    // its top and bottom (it is never letterboxed), a window taller than 4:3 shows it whole
    // between bars of its corner colour.
    const struct {
        const char* program;
        int width, height;
        float scale, top;
    } cases[] = {{"nimbrel_test_tall", 512, 640, 0.5f, 128.0f}, {"nimbrel_test_wide", 896, 504, 0.875f, -84.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        fs::remove_all(work);
        fs::remove_all(root + "/user");
        const std::string music = LinkDataWithHeldMusic();
        // A window, not the full screen.
        const std::string options = root + "/user/Nimbrel " NIMBREL_APP_NAME;
        fs::create_directories(options);
        std::ofstream(options + "/" NIMBREL_APP_NAME ".v3.options.sav") << "[OPTIONS]\nENABLE_FULLSCREEN = 0\n";

        const pid_t pid = Start(c.program, {"--frames", "100000"});
        const int pipe =
            WaitForMusicReader(pid, music, [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); });
        ASSERT_GE(pipe, 0) << "the load never opened the music: " << Stderr();
        const std::string id = MainWindow(pid);
        ASSERT_NE(id, "");
        int left = -1, top = -1, width = 0, height = 0;
        WindowArea(id, &left, &top, &width, &height);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        const RootPicture screen = ReadRootWindow(root + "/root.xwd");
        // The whole group, before the pipe closes: an end of file would fail the load.
        kill(-pid, SIGKILL);
        Wait(pid);
        close(pipe);
        ASSERT_FALSE(screen.pixels.empty()) << "the root window could not be read";
        ASSERT_TRUE(left >= 0 && top >= 0 && left + c.width <= screen.width && top + c.height <= screen.height);
        const auto at = [&](float x, float y) { return screen.At(left + int(x), top + int(y)); };

        // The picture's moon, a light disc in its sky, where the fit puts it.
        const uint32_t moon = at(820.0f * c.scale, c.top + 170.0f * c.scale);
        EXPECT_GT(int(moon >> 16), 200) << std::hex << moon;
        if (c.top > 0.0f) {
            // The picture's corner as shown: within a level of its stored colour (the player's
            // brightness ramp, at its default, darkens by one level).
            const uint32_t shown = at(1.0f, c.top + 768.0f * c.scale - 2.0f);
            for (int shift : {0, 8, 16})
                EXPECT_LE(std::abs(int((shown >> shift) & 0xFF) - int((corner >> shift) & 0xFF)), 2)
                    << std::hex << shown << " for " << corner;
            // Every pixel of both bars is that colour, but for the progress bar, drawn over the
            // middle of the bottom one.
            int wrong = 0;
            for (int y = 0; y < int(c.top); ++y)
                for (int x = 0; x < c.width; ++x) {
                    wrong += at(float(x), float(y)) != shown;
                    if (x < c.width / 4 || x >= c.width * 3 / 4)
                        wrong += at(float(x), float(c.height - 1 - y)) != shown;
                }
            EXPECT_EQ(wrong, 0) << std::hex << "corner " << shown << ", a bar pixel " << at(5.0f, 5.0f);
        } else {
            // No bars: the picture reaches the top and bottom edges, its dark ground at the bottom.
            for (int row : {0, c.height - 1}) {
                int cornerColoured = 0;
                for (int x = 0; x < c.width; ++x)
                    cornerColoured += at(float(x), float(row)) == corner;
                EXPECT_LT(cornerColoured, c.width) << "row " << row;
            }
            EXPECT_LT(int(at(4.0f, float(c.height - 1)) >> 16), 0x30) << std::hex << at(4.0f, float(c.height - 1));
        }
    }
}

TEST_F(Program, TheSplashPicturesAreSkippedBySpaceEscapeOrAClick)
{
    if (!HaveXdotool() || std::system("command -v xwd >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs an X display, xdotool and xwd (run under xvfb-run)";
    LinkData();
    // Pictures that stay until they are skipped.
    const pid_t pid = Start("nimbrel_test_longsplash", {"--frames", "100000"});
    const std::string id = MainWindow(pid);
    ASSERT_NE(id, "");
    constexpr int kX = 200, kY = 384;
    ASSERT_TRUE(WaitForPixel(id, kX, kY, IsWarm)) << std::hex << WindowPixel(id, kX, kY);
    ASSERT_EQ(std::system(("xdotool windowfocus --sync " + id + " key space").c_str()), 0);
    EXPECT_TRUE(WaitForPixel(id, kX, kY, IsCool)) << std::hex << WindowPixel(id, kX, kY);
    // Escape leaves the studio's picture for the video, and a click ends the video.
    ASSERT_EQ(std::system(("xdotool windowfocus --sync " + id + " key Escape").c_str()), 0);
    EXPECT_TRUE(WaitForPixel(id, kX, kY, [](int64_t rgb) { return rgb >= 0 && !IsCool(rgb); }))
        << std::hex << WindowPixel(id, kX, kY);
    ASSERT_EQ(std::system(("xdotool mousemove --window " + id + " 512 384 click 1").c_str()), 0);
    kill(pid, SIGTERM);
    EXPECT_EQ(Wait(pid), 0) << Stderr();
}

// ---- The hall played from outside, as a player plays it ---------------------------------------

namespace {

// Looks until the condition holds, `seconds` at most: a short look whether something followed
// (a click taken, nothing come) before the test acts again, as a player acts again when
// nothing happened.
bool LookFor(const std::function<bool()>& done, int seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Waits until the condition holds; `seconds` is what the game takes on a quiet machine, and
// only a hang outlasts the patience given beyond it.
bool WaitUntil(const std::function<bool()>& done, int seconds = 10)
{
    return LookFor(done, seconds * kPatience);
}

// Whether a look has stayed the same for half a second: the looks come faster than
// a busy machine's frames, so two looks alike may well be one frame of something still moving.
// Given each look until it answers true; Last() is the last look.
template <typename Value>
class SteadyLook {
public:
    bool operator()(const Value& now)
    {
        const auto at = std::chrono::steady_clock::now();
        if (!m_read || now != m_last) {
            m_read = true;
            m_last = now;
            m_since = at;
            return false;
        }
        return at - m_since >= std::chrono::milliseconds(500);
    }
    const Value& Last() const { return m_last; }

private:
    bool m_read = false;
    Value m_last{};
    std::chrono::steady_clock::time_point m_since;
};

// Whether two colours are the same but for `levels` of each channel.
bool Near(int64_t a, int64_t b, int levels = 4)
{
    if (a < 0 || b < 0)
        return false;
    for (int shift : {0, 8, 16})
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > levels)
            return false;
    return true;
}

// A built scene's elements in reference pixels, as `vornel scene dump` prints its element-info
// file: "element NAME at=X,Y size=W,H ...", the place of the top-left corner and the size.
struct SceneRect {
    float x = NAN, y = NAN, width = NAN, height = NAN;
};

std::map<std::string, SceneRect> SceneRects(const std::string& elementInfo)
{
    std::map<std::string, SceneRect> rects;
    std::istringstream lines(Shell("\"" + kBin + "/vornel\" scene dump \"" + elementInfo + "\""));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string keyword, name;
        if (!(words >> keyword >> name) || keyword != "element")
            continue;
        SceneRect& r = rects[name];
        for (std::string word; words >> word;) {
            std::sscanf(word.c_str(), "at=%f,%f", &r.x, &r.y);
            std::sscanf(word.c_str(), "size=%f,%f", &r.width, &r.height);
        }
    }
    return rects;
}

// The fit of the reference screen into the window (offset x, y, then scale x, y), as the
// game computes it from the window's size; false when the window cannot be measured.
bool WindowFit(const std::string& id, float* fit, int* pSize = nullptr)
{
    const std::string geometry = Shell("xdotool getwindowgeometry " + id + " 2>/dev/null");
    const size_t at = geometry.find("Geometry: ");
    int width = 0, height = 0;
    if (at == std::string::npos || std::sscanf(geometry.c_str() + at, "Geometry: %dx%d", &width, &height) != 2)
        return false;
    ComputeScreenFit(uint16_t(width), uint16_t(height), kDefaultReferenceWidth, kDefaultReferenceHeight,
                     ChooseTextureLevel(uint16_t(width), uint16_t(height), 1024, 768), 1, fit, nullptr, nullptr);
    if (pSize) {
        pSize[0] = width;
        pSize[1] = height;
    }
    return true;
}

// What one cell of the hall's items list shows: where its pale gold text pixels lie (and how
// far left they begin) and how many green pixels its check mark has.
struct ListCell {
    std::vector<int> text;
    int left = INT32_MAX;
    int mark = 0;

    bool Written() const { return text.size() > 20; }
    bool Ticked() const { return mark > 20; }
    bool operator==(const ListCell& other) const { return text == other.text && mark == other.mark; }
};

// What the menu measures its pages with, as the built sample has it: the commons strings of a
// language and the widths of the main font's characters (`vornel strings dump` and `vornel font
// info` read them back), at the menu's text height.
class SampleMenuTexts : public MenuTextSource {
public:
    // False when the sample's font or strings cannot be read.
    bool Load(const std::string& language, float textHeight)
    {
        height = textHeight;
        widths.clear();
        commons.clear();
        const std::string vornel = "\"" + kBin + "/vornel\" ";
        const std::string staging = kBin + "/../sample_staging/";
        std::istringstream cells(Shell(vornel + "font info \"" + staging + "fonts/main.charset\" 2>/dev/null"));
        float charHeight = 0.0f, sheetWidth = 0.0f;
        for (std::string line; std::getline(cells, line);) {
            unsigned page = 0, mask = 0, pixels = 0, code = 0, unicode = 0;
            float sheetHeight = 0.0f, left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
            if (std::sscanf(line.c_str(), "page %u: mask 0x%X, height %u, sheet %fx%f", &page, &mask, &pixels,
                            &sheetWidth, &sheetHeight) == 5) {
                charHeight = float(pixels);
                continue;
            }
            // "  0xCODE U+XXXX c (left, top)-(right, bottom)": the cell after the character.
            const size_t dash = line.rfind(")-(");
            const size_t open = dash == std::string::npos ? dash : line.rfind(" (", dash);
            if (std::sscanf(line.c_str(), " 0x%X U+%X", &code, &unicode) == 2 && open != std::string::npos &&
                std::sscanf(line.c_str() + open, " (%f, %f)-(%f, %f)", &left, &top, &right, &bottom) == 4 &&
                charHeight > 0.0f)
                widths[char16_t(unicode)] = (right - left) * sheetWidth / charHeight;
        }
        std::istringstream strings(Shell(vornel + "strings dump \"" + staging + "strings/_strings." + language +
                                         ".commons.utf8.indexed.ucs2.raw\" --symbols \"" + staging +
                                         "strings/_symbols.utf8.indexed.ucs2.raw\" 2>/dev/null"));
        for (std::string line; std::getline(strings, line);) {
            const size_t colon = line.find(": ");
            if (colon != std::string::npos)
                commons.push_back(UtilsString_FromUtf8(line.substr(colon + 2).c_str()));
        }
        return !widths.empty() && !commons.empty();
    }
    const char16_t* CommonString(uint32_t id) override
    {
        return id < commons.size() ? commons[id].c_str() : u"MISSING COMMONS STRING !!!";
    }
    void Measure(const char16_t* text, float* pSize) override
    {
        float line = 0.0f, widest = 0.0f;
        uint32_t lines = 1;
        for (const char16_t* c = text; c && *c; ++c) {
            if (*c == u'\n') {
                line = 0.0f;
                ++lines;
                continue;
            }
            const auto it = widths.find(*c);
            line += it != widths.end() ? it->second * height : 0.0f;
            widest = std::max(widest, line);
        }
        pSize[0] = widest;
        pSize[1] = height * float(lines);
    }
    char16_t* WrapParagraph(const char16_t* text, float) override { return UtilsString_DupW(text); }

private:
    float height = 0.0f;
    std::map<char16_t, float> widths;   // at a text height of 1
    std::vector<std::u16string> commons;
};

// The sample's hall in the program's window: its elements' centres mapped through the fit of
// the reference screen into the window, xdotool's clicks and keys, and the colours shown.
class HallWindow {
public:
    // False when the window or the hall's scene cannot be read.
    bool Open(const std::string& windowId)
    {
        id = windowId;
        if (!WindowFit(id, fit, windowSize))
            return false;
        rects = SceneRects(kBin + "/../sample_staging/" NIMBREL_APP_NAME "_object_1.raw");
        title = SceneRects(kBin + "/../sample_staging/" NIMBREL_APP_NAME "_object_14.raw");
        popups = SceneRects(kBin + "/../sample_staging/" NIMBREL_APP_NAME "_object_4.raw");
        list = SceneRects(kBin + "/../sample_staging/" NIMBREL_APP_NAME "_object_5.raw");
        const std::string info = Shell("xwininfo -id " + id);
        const auto field = [&info](const char* name) {
            const size_t at = info.find(name);
            return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + std::strlen(name));
        };
        left = field("Absolute upper-left X:");
        top = field("Absolute upper-left Y:");
        background = PackPicture(u"textures/hall/background.png");
        if (!rects.count("key") || !rects.count("background") || !list.count("band") || !title.count("text_play") ||
            !popups.count("frame") || left < 0 || top < 0 ||
            background.width == 0)
            return false;
        // The picture lies inside the frame's border, drawn at its own size.
        const SceneRect& picture = rects["background"];
        origin[0] = picture.x + picture.width * 0.5f - float(background.width) * 0.5f;
        origin[1] = picture.y + picture.height * 0.5f - float(background.height) * 0.5f;
        return true;
    }

    WindowPoint Window(float x, float y) const
    {
        return {int(std::lround(fit[0] + x * fit[2])), int(std::lround(fit[1] + y * fit[3]))};
    }
    WindowPoint Centre(const std::string& element) const
    {
        const SceneRect& r = rects.at(element);
        return Window(r.x + r.width * 0.5f, r.y + r.height * 0.5f);
    }
    // The title: its play button's dark face shows beside the text.
    bool TitleShows() const
    {
        const SceneRect& b = title.at("button_01");
        return Near(Colour(Window(b.x + 12.0f, b.y + b.height * 0.5f)), 0x3a3050, 6);
    }
    // The menu's pages show in the popups object's frame, whose gold line runs down its left.
    bool MenuFrameShows() const
    {
        const SceneRect& f = popups.at("frame");
        const int64_t c = Colour(Window(f.x + 8.0f, f.y + f.height * 0.5f));
        return c >= 0 && (c >> 16 & 0xFF) > 0xA0 && (c >> 8 & 0xFF) > 0x80 && (c & 0xFF) < 0x80;
    }
    WindowPoint TitleCentre(const std::string& element) const
    {
        const SceneRect& r = title.at(element);
        return Window(r.x + r.width * 0.5f, r.y + r.height * 0.5f);
    }
    // A menu page (ids and kinds) laid out by the menu's own code in the popups object's frame,
    // measured with the sample's font and strings of the menu's language at the menu's text
    // height: the sample's 28 units times the text scale of this window.
    std::vector<MenuEntry> MenuPage(const std::vector<std::pair<uint32_t, uint32_t>>& page, float marginLines) const
    {
        const SceneRect& f = popups.at("frame");
        const WindowPoint a = Window(f.x, f.y), b = Window(f.x + f.width, f.y + f.height);
        const float topLeft[2] = {float(a.x), float(a.y)}, bottomRight[2] = {float(b.x), float(b.y)};
        const float height = MenuTextHeight();
        if (textsLanguage != menuLanguage) {
            EXPECT_TRUE(texts.Load(menuLanguage, height)) << "the sample's font or " << menuLanguage << " strings";
            textsLanguage = menuLanguage;
        }
        std::vector<MenuEntry> entries(page.size());
        for (size_t k = 0; k < page.size(); ++k) {
            entries[k].id = page[k].first;
            entries[k].kind = page[k].second;
        }
        LayoutMenuEntries(texts, entries.data(), uint32_t(entries.size()), topLeft, bottomRight,
                          marginLines * height, 1.0f);
        return entries;
    }
    float MenuTextHeight() const
    {
        const float wr = float(windowSize[0]) / 1024.0f, hr = float(windowSize[1]) / 768.0f;
        const float scale = windowSize[0] > 1024 || windowSize[1] > 768 ? 1.0f : std::min(wr, (wr + hr) * 0.5f);
        return 28.0f * scale;
    }
    // The middle of entry i of a menu page.
    WindowPoint MenuPoint(const std::vector<std::pair<uint32_t, uint32_t>>& page, float marginLines, size_t i) const
    {
        const MenuEntry e = MenuPage(page, marginLines).at(i);
        return {int(std::lround(e.x)), int(std::lround(e.y + e.textHeight * e.scale * 0.5f))};
    }
    // The language the menu's texts are in from now on ("en", "fr").
    void SetMenuLanguage(const std::string& language) { menuLanguage = language; }
    // Which pixels inside the popups object's frame are light (the menu's white texts), row by
    // row, in one capture of the window; the rows' width to pWidth.
    std::vector<uint8_t> FrameLight(int* pWidth) const
    {
        const RootPicture picture = ReadWindowPicture(id);
        const SceneRect& f = popups.at("frame");
        const WindowPoint a = Window(f.x, f.y), b = Window(f.x + f.width, f.y + f.height);
        std::vector<uint8_t> light;
        *pWidth = b.x - a.x;
        for (int y = a.y; y < b.y; ++y)
            for (int x = a.x; x < b.x; ++x)
                light.push_back(x >= 0 && y >= 0 && x < picture.width && y < picture.height &&
                                (picture.At(x, y) & 0xC0C0C0u) == 0xC0C0C0u);
        return light;
    }
    WindowPoint ProfileRow(size_t slot) const { return MenuPoint({{53, 0}, {54, 0}, {55, 0}}, 4.0f, slot); }
    // Yes (left) and no (right) of a question.
    WindowPoint Answer(bool yes) const { return MenuPoint({{58, 0}, {70, 1}, {71, 2}}, 0.0f, yes ? 1 : 2); }
    // An element of the popups object, in reference pixels.
    const SceneRect& Popup(const std::string& element) const { return popups.at(element); }
    WindowPoint PopupCentre(const std::string& element) const
    {
        const SceneRect& r = popups.at(element);
        return Window(r.x + r.width * 0.5f, r.y + r.height * 0.5f);
    }
    WindowPoint ListCentre(const std::string& element) const
    {
        const SceneRect& r = list.at(element);
        return Window(r.x + r.width * 0.5f, r.y + r.height * 0.5f);
    }
    // The items list's six cells, two rows of three in its band, read back from the screen.
    std::vector<ListCell> Cells(const std::string& xwdPath) const
    {
        std::vector<ListCell> cells(6);
        const RootPicture screen = ReadRootWindow(xwdPath);
        if (screen.pixels.empty())
            return cells;
        const SceneRect& band = list.at("band");
        for (int cell = 0; cell < 6; ++cell) {
            const float x = band.x + float(cell % 3) * band.width / 3.0f, y = band.y + float(cell / 3) * band.height / 2.0f;
            const WindowPoint a = Window(x, y), b = Window(x + band.width / 3.0f, y + band.height / 2.0f);
            for (int py = top + a.y + 1; py < top + b.y && py < screen.height; ++py)
                for (int px = left + a.x + 1; px < left + b.x && px < screen.width; ++px) {
                    const uint32_t c = screen.At(px, py);
                    const int r = int(c >> 16 & 0xFF), g = int(c >> 8 & 0xFF), bl = int(c & 0xFF);
                    if (r > 150 && g > 130 && bl < r) {
                        cells[cell].text.push_back((py - top - a.y) * 4096 + px - left - a.x);
                        cells[cell].left = std::min(cells[cell].left, px - left - a.x);
                    } else if (g > 150 && r < 120 && g > bl + 50) {
                        ++cells[cell].mark;
                    }
                }
        }
        return cells;
    }
    int64_t Colour(WindowPoint p) const { return WindowPixel(id, p.x, p.y); }
    // The hall's own picture at that point, as nothing covers it.
    int64_t Background(WindowPoint p) const
    {
        const int x = int(std::lround((p.x - fit[0]) / fit[2] - origin[0]));
        const int y = int(std::lround((p.y - fit[1]) / fit[3] - origin[1]));
        return x >= 0 && y >= 0 && x < background.width && y < background.height ? background.At(x, y) : -1;
    }
    bool ShowsThePicture(WindowPoint p) const { return Near(Colour(p), Background(p)); }
    // Whether the element's centre shows the hall's picture, or something clearly over it.
    bool Gone(const std::string& element) const { return ShowsThePicture(Centre(element)); }
    bool Shown(const std::string& element) const
    {
        const WindowPoint p = Centre(element);
        return !Near(Colour(p), Background(p), 12);
    }
    // The white pixels (the hall's texts) over the element, `inset` reference units in from its
    // edges, in one capture of the screen kept at `xwdPath`.
    uint32_t White(const std::string& element, float inset, const std::string& xwdPath) const
    {
        const RootPicture screen = ReadRootWindow(xwdPath);
        const SceneRect& r = rects.at(element);
        const WindowPoint a = Window(r.x + inset, r.y + inset);
        const WindowPoint b = Window(r.x + r.width - inset, r.y + r.height - inset);
        uint32_t white = 0;
        for (int y = std::max(top + a.y, 0); y < std::min(top + b.y, screen.height); ++y)
            for (int x = std::max(left + a.x, 0); x < std::min(left + b.x, screen.width); ++x)
                white += (screen.At(x, y) & 0xC0C0C0u) == 0xC0C0C0u;
        return white;
    }
    // How many pixels of the reference rectangle pass the test, in one capture of the window.
    int CountPixels(float left, float top, float right, float bottom, bool (*test)(uint32_t)) const
    {
        const RootPicture picture = ReadWindowPicture(id);
        const WindowPoint from = Window(left, top), to = Window(right, bottom);
        int count = 0;
        for (int y = std::max(from.y, 0); y < std::min(to.y, picture.height); ++y)
            for (int x = std::max(from.x, 0); x < std::min(to.x, picture.width); ++x)
                count += test(picture.At(x, y));
        return count;
    }
    // How many pixels of the reference rectangle show a clear green (a score pop-up's).
    int GreenPixels(float left, float top, float right, float bottom) const
    {
        return CountPixels(left, top, right, bottom, [](uint32_t c) {
            return (c >> 8 & 0xFF) >= 160 && (c >> 16 & 0xFF) < 100 && (c & 0xFF) < 100;
        });
    }
    // How many pixels within `radius` window pixels of the point show a pale blue-white (the
    // sparkle of a find).
    int PalePixels(WindowPoint p, int radius) const
    {
        return PixelsNear(p, radius, [](uint32_t c) { return (c & 0xFF) >= 220 && (c >> 8 & 0xFF) >= 220; });
    }
    // How many pixels within `radius` window pixels of the point show the pale yellow of a star
    // (a find throws one); the touch mark's deeper yellow is not counted.
    int StarPixels(WindowPoint p, int radius) const
    {
        return PixelsNear(p, radius, [](uint32_t c) {
            const uint32_t r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
            return r >= 240 && g >= 220 && b >= 140 && b + 20 <= g;
        });
    }
    template <typename Test>
    int PixelsNear(WindowPoint p, int radius, Test test) const
    {
        const RootPicture picture = ReadWindowPicture(id);
        int count = 0;
        for (int y = std::max(p.y - radius, 0); y < std::min(p.y + radius, picture.height); ++y)
            for (int x = std::max(p.x - radius, 0); x < std::min(p.x + radius, picture.width); ++x)
                count += test(picture.At(x, y)) ? 1 : 0;
        return count;
    }
    // The element's pixels as shown, its rectangle read from one capture of the window.
    std::vector<uint32_t> Pixels(const std::string& element) const
    {
        const RootPicture picture = ReadWindowPicture(id);
        const SceneRect& r = rects.at(element);
        const WindowPoint a = Window(r.x, r.y), b = Window(r.x + r.width, r.y + r.height);
        std::vector<uint32_t> pixels;
        for (int y = std::max(a.y, 0); y < std::min(b.y, picture.height); ++y)
            for (int x = std::max(a.x, 0); x < std::min(b.x, picture.width); ++x)
                pixels.push_back(picture.At(x, y));
        return pixels;
    }
    // The pointer is then put in the window's corner, so that the game's cursor, drawn at the
    // pointer, covers nothing the test reads.
    bool Click(WindowPoint p) const
    {
        return std::system(("xdotool mousemove --window " + id + " " + std::to_string(p.x) + " " +
                            std::to_string(p.y) + " click 1 mousemove --window " + id + " 1 1")
                               .c_str()) == 0;
    }
    bool Key(const std::string& key) const
    {
        return std::system(("xdotool windowfocus --sync " + id + " key " + key).c_str()) == 0;
    }
    // The hall plays once its title card has faded from the wall: by then every item waits for
    // its click.
    bool Playing() const
    {
        return ShowsThePicture(Window(332.0f, 56.0f));  // the card's plate, beside its text
    }

    std::string id;

private:
    float fit[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    float origin[2] = {0.0f, 0.0f};
    int left = 0, top = 0;   // the window on the screen
    std::map<std::string, SceneRect> rects, list, title, popups;
    RootPicture background;
    int windowSize[2] = {0, 0};
    std::string menuLanguage = "en";
    mutable std::string textsLanguage;
    mutable SampleMenuTexts texts;
};

// The six items of the hall's list, the coin with its two further copies.
const char* const kHallItems[] = {"key", "candle", "book", "apple", "quill", "coin", "coin2", "coin3"};

// Clicks the point until the condition holds (two seconds after each click, twenty in all).
bool ClickUntil(const HallWindow& window, WindowPoint p, const std::function<bool()>& done)
{
    return WaitUntil([&] { return window.Click(p) && LookFor(done, 2); }, 20);
}

// The title's road, which every game takes once the title shows: play; then the name "Player"
// and Return for a new player, or the row of slot 0 on the profile list for a returning one.
bool PlayTheTitle(const HallWindow& window, bool returning)
{
    // Play waits for the title to have faded in.
    if (!ClickUntil(window, window.TitleCentre("text_play"), [&] { return !window.TitleShows(); }) ||
        !WaitUntil([&] { return window.MenuFrameShows(); }))
        return false;
    if (returning)
        return ClickUntil(window, window.ProfileRow(0), [&] { return !window.MenuFrameShows(); });
    return std::system(("xdotool windowfocus --sync " + window.id + " type --delay 120 Player").c_str()) == 0 &&
           window.Key("Return");
}

}  // namespace

// A new player's game reaches the hall: the program with a fresh per-user folder (no profile:
// the game begins at the hall), its window found and the hall playing. With `developer` the
// data folder holds the developer file.
class HallProgram : public Program {
protected:
    void SetUp() override
    {
        Program::SetUp();
        if (!HaveXdotool() || std::system("command -v xwd >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "needs an X display, xdotool and xwd (run under xvfb-run)";
    }
    void StartNewPlayer(bool developer = false)
    {
        if (developer) {
            const std::string data = work + "/Data_full_Win32";
            fs::create_directories(data);
            for (const auto& entry : fs::directory_iterator(kBin + "/Data_full_Win32"))
                if (entry.path().filename() != "prefetch.params")
                    fs::create_symlink(entry.path(), data + "/" + entry.path().filename().string());
            ASSERT_EQ(std::system(("\"" + kBin + "/vornel\" devflags write \"" + data +
                                   "/prefetch.params\" --developer 1 --prefetch 1 --truetype 0 >/dev/null")
                                      .c_str()),
                      0);
        } else if (!fs::exists(work + "/Data_full_Win32")) {
            LinkData();
        }
        Continue();
    }
    // The program started again on what the last run left, up to the hall playing.
    void Continue()
    {
        pid = Start(program, {"--frames", "1000000"});
        const std::string id = MainWindow(pid);
        ASSERT_NE(id, "") << Stderr();
        ASSERT_TRUE(hall.Open(id));
        // The splash pictures, the video and the welcome text come first: the player clicks
        // through them, at a point of the floor where the hall has nothing to find, until the
        // hall shows beside it (a click that the hall does not take leaves a touch mark there).
        // Half a second apart, as a player clicks: the hall counts quick clicks on nothing as
        // random clicking, and the first of them may come as the hall shows.
        const WindowPoint floor = hall.Window(1000.0f, 740.0f);
        const WindowPoint beside = hall.Window(940.0f, 700.0f);
        auto lastClick = std::chrono::steady_clock::now() - std::chrono::seconds(1);
        bool road = false, returning = false;
        const bool shown = WaitUntil(
            [&] {
                if (hall.ShowsThePicture(beside))
                    return true;
                if (!road && hall.TitleShows()) {
                    const std::string profile = root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME
                                                       ".v3.profile_full_0.sav";
                    std::error_code error;
                    returning = fs::exists(profile) && fs::file_size(profile, error) > 0;
                    road = PlayTheTitle(hall, returning);
                    return false;
                }
                if (std::chrono::steady_clock::now() - lastClick >= std::chrono::milliseconds(500)) {
                    hall.Click(floor);
                    lastClick = std::chrono::steady_clock::now();
                }
                return false;
            },
            120);
        ASSERT_TRUE(shown) << Stderr();
        tutorialAtFirstSight = TutorialShows();
        ASSERT_TRUE(WaitUntil([this] { return hall.Playing(); }, 60)) << Stderr();
        if (answerTutorial && !returning)
            AnswerTutorial();
    }
    // The tutorial's frame (tuto.scene), low on the hall's left: a point of its left edge, the
    // same at both of its places.
    bool TutorialShows() const
    {
        const int64_t c = hall.Colour(hall.Window(208.0f, 640.0f));
        return c >= 0 && (c >> 16 & 0xFF) > 150 && (c & 0xFF) < 110;
    }
    // The frame's close part, a red disc, at the frame's first place.
    bool CloseShows() const
    {
        const int64_t c = hall.Colour(hall.Window(480.0f, 570.0f));
        return c >= 0 && (c >> 16 & 0xFF) > 150 && (c >> 8 & 0xFF) < 90;
    }
    // A new player's road to the hall answers the tutorial as a player who knows the game: the
    // close part, then "yes" (the question's left button) skips it all.
    void AnswerTutorial()
    {
        ASSERT_TRUE(WaitUntil([this] { return TutorialShows(); }, 10)) << Stderr();
        ASSERT_TRUE(ClickUntil(hall.Window(480.0f, 570.0f), [this] { return !CloseShows(); })) << Stderr();
        ASSERT_TRUE(ClickUntil(hall.Window(264.0f, 672.0f), [this] { return !TutorialShows(); })) << Stderr();
    }
    // Clicks the point until the condition holds, as a player clicks again when nothing
    // happened: the game takes no click while the last picture is still fading away, nor on an
    // element before its script waits for it.
    bool ClickUntil(WindowPoint p, const std::function<bool()>& done)
    {
        return WaitUntil([&] { return hall.Click(p) && LookFor(done, 2); }, 20);
    }
    // Clicks the item until it has faded from the hall.
    void Find(const char* item)
    {
        SCOPED_TRACE(item);
        ASSERT_TRUE(hall.Shown(item));
        ASSERT_TRUE(ClickUntil(hall.Centre(item), [&] { return hall.Gone(item); }));
    }
    // A variant whose menus are silent, playing to the wave file returned; `musicOff` writes the
    // player's options with the music turned down.
    std::string PlayToWaveFile(bool musicOff)
    {
        program = "nimbrel_test_clicks";
        const std::string out = root + "/out.wav";
        std::ofstream(root + "/alsoft.conf") << "[general]\ndrivers=wave\n[wave]\nfile=" << out << "\n";
        environment = {{"ALSOFT_CONF", root + "/alsoft.conf"}, {"ALSOFT_DRIVERS", "wave"}};
        if (musicOff) {
            const std::string options = root + "/user/Nimbrel " NIMBREL_APP_NAME;
            fs::create_directories(options);
            std::ofstream(options + "/" NIMBREL_APP_NAME ".v3.options.sav")
                << "[OPTIONS]\nMUSICS_VOLUME = 0\n";
        }
        return out;
    }
    void Quit()
    {
        kill(pid, SIGTERM);  // the platform turns it into the window's quit
        ASSERT_EQ(Wait(pid), 0) << Stderr();
    }
    // Reads the items list's cells until the condition holds; the last reading to pCells.
    bool WaitForCells(const std::function<bool(const std::vector<ListCell>&)>& done,
                      std::vector<ListCell>* pCells = nullptr)
    {
        std::vector<ListCell> cells;
        const bool held = WaitUntil([&] { return done(cells = hall.Cells(root + "/root.xwd")); }, 30);
        if (pCells)
            *pCells = cells;
        return held;
    }

    pid_t pid = 0;
    std::string program = "nimbrel";
    HallWindow hall;
    // Whether the road to the hall answers a new player's tutorial, and whether the tutorial's
    // frame showed as the hall first showed.
    bool answerTutorial = true;
    bool tutorialAtFirstSight = false;
};

TEST_F(HallProgram, ClicksFadeTheItemsOneByOneAndTheDoorShowsTheStudy)
{
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    // A click beside the items finds none of them: each of the six is still there for its own
    // click, which fades it and no other.
    const WindowPoint beside = hall.Window(900.0f, 120.0f);
    const int64_t besideColour = hall.Colour(beside);
    ASSERT_TRUE(hall.Click(beside));
    for (size_t i = 0; i < std::size(kHallItems); ++i) {
        Find(kHallItems[i]);
        if (HasFatalFailure())
            return;
        for (size_t j = i + 1; j < std::size(kHallItems); ++j)
            EXPECT_TRUE(hall.Shown(kHallItems[j])) << kHallItems[j] << " after " << kHallItems[i];
    }
    EXPECT_TRUE(Near(hall.Colour(beside), besideColour, 0));

    // The congratulations fade in; a click sends them away (they take it once shown whole).
    ASSERT_TRUE(WaitUntil([&] { return hall.Shown("well_done"); }));
    ASSERT_TRUE(ClickUntil(hall.Centre("well_done"), [&] { return hall.Gone("well_done"); }));
    // The door leads to the study, a room of one colour, dark but where the flashlight shines:
    // a press lights a circle around it, which dims out 3 s after the last press (a move alone
    // never lights it), until the lamp on the desk lights the whole room. Its opening text about
    // its portraits is closed first; its map shows until clicked.
    ASSERT_TRUE(hall.Click(hall.Centre("door")));
    const int64_t kStudy = 0x5A3E2B;
    // (Its notebook and its lamp's glow open over its middle and its top right corner.)
    const WindowPoint window = hall.Window(150.0f, 700.0f);
    const WindowPoint parchment = hall.Window(240.0f, 200.0f);
    ASSERT_TRUE(WaitUntil([&] { return Near(hall.Colour(parchment), 0xEADFC4, 12); }, 60)) << Stderr();
    ASSERT_TRUE(hall.Key("Escape"));
    const WindowPoint spot = hall.Window(400.0f, 300.0f);
    const WindowPoint lit = hall.Window(400.0f, 340.0f);  // beside the press's touch mark
    ASSERT_TRUE(WaitUntil([&] { return Near(hall.Colour(window), 0) && Near(hall.Colour(lit), 0); }, 60))
        << std::hex << hall.Colour(window);
    // The study takes clicks once its transition has faded: press until the light shows.
    auto pressed = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitUntil(
        [&] {
            pressed = std::chrono::steady_clock::now();
            return hall.Click(spot) && LookFor([&] { return Near(hall.Colour(lit), kStudy); }, 2);
        },
        30))
        << std::hex << hall.Colour(lit);
    EXPECT_TRUE(Near(hall.Colour(window), 0)) << std::hex << hall.Colour(window);
    ASSERT_TRUE(WaitUntil([&] { return Near(hall.Colour(lit), 0); }, 30)) << std::hex << hall.Colour(lit);
    EXPECT_GE(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(3));

    // The map on the desk shows whole, over the study, until the next click takes it away.
    const WindowPoint map = hall.Window(830.0f, 480.0f);
    const auto paper = [&] {
        const int64_t c = hall.Colour(window);
        return c >= 0 && (c >> 16 & 0xFF) > 0xB0 && (c >> 8 & 0xFF) > 0x98 && (c & 0xFF) < (c >> 16 & 0xFF) - 0x30;
    };
    ASSERT_TRUE(ClickUntil(map, paper)) << std::hex << hall.Colour(window);
    ASSERT_TRUE(WaitUntil([&] { return hall.Click(map) && LookFor([&] { return !paper(); }, 8); }, 30));
    ASSERT_TRUE(WaitUntil([&] { return Near(hall.Colour(window), 0); }, 30)) << std::hex << hall.Colour(window);

    ASSERT_TRUE(ClickUntil(hall.Window(200.0f, 420.0f), [&] { return Near(hall.Colour(window), kStudy); }))
        << std::hex << hall.Colour(window);
    // The key found in the hall waits in the first place of the inventory bar, along the bottom.
    const WindowPoint key = hall.Window(255.0f, 720.0f);
    EXPECT_TRUE(WaitUntil([&] { return Near(hall.Colour(key), 0xE0C040, 16); }, 10)) << std::hex << hall.Colour(key);
    Quit();
}

// The study opens with its text about its portraits: the text reveals letter by letter (two
// readings of its lines differ) in its label's text box, under the box's title, while the
// portraits come in under it; a click during the reveal only completes it, Escape closes it.
// Once the lamp is lit, the notebook panel fades in and its close button fades it out; the
// drawer's note, asked for as it fades out, shows after it. (The study's bar test closes the
// notebook with Escape.)
TEST_F(HallProgram, TheStudysPortraitsComeInWithItsTextAndItsNotebookClosesByItsButton)
{
    StartNewPlayer(true);
    if (HasFatalFailure())
        return;
    Find("key");
    ASSERT_TRUE(hall.Key("F4"));
    ASSERT_TRUE(hall.Key("Escape"));
    ASSERT_TRUE(WaitUntil([&] { return hall.Shown("well_done"); }));
    ASSERT_TRUE(ClickUntil(hall.Centre("well_done"), [&] { return hall.Gone("well_done"); }));

    // The parchment of the popup text, the face of the first portrait, the dark letters of the
    // page in its text box on the parchment (262, 176, 500 x 200).
    const WindowPoint parchment = hall.Window(240.0f, 200.0f), face = hall.Window(342.0f, 506.0f);
    const auto isLetter = [](uint32_t c) { return (c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF) < 300; };
    const auto letters = [&] { return hall.CountPixels(262.0f, 176.0f, 762.0f, 376.0f, isLetter); };
    const auto onParchment = [&] { return Near(hall.Colour(parchment), 0xEADFC4, 12); };
    ASSERT_TRUE(ClickUntil(hall.Centre("door"), onParchment)) << Stderr();
    const int first = letters();
    ASSERT_TRUE(WaitUntil([&] { return Near(hall.Colour(face), 0xE8C8A0, 16); })) << std::hex << hall.Colour(face);
    const int second = letters();
    EXPECT_GT(second, first);
    // A click completes the page and leaves it open.
    ASSERT_TRUE(hall.Click(hall.Window(512.0f, 120.0f)));
    // Still for a while: a slow frame must not pass for the end of the page.
    int last = -1;
    ASSERT_TRUE(WaitUntil([&] {
        last = letters();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return letters() == last;
    }));
    EXPECT_GT(last, second);
    EXPECT_TRUE(onParchment());
    {
        // Nothing is written on the parchment around the box; the title is the box's first line,
        // centred across it and shorter than the lines under it.
        EXPECT_EQ(hall.CountPixels(232.0f, 186.0f, 258.0f, 450.0f, isLetter), 0);
        EXPECT_EQ(hall.CountPixels(262.0f, 380.0f, 762.0f, 450.0f, isLetter), 0);
        const RootPicture picture = ReadWindowPicture(hall.id);
        const WindowPoint from = hall.Window(262.0f, 176.0f), to = hall.Window(762.0f, 376.0f);
        // Each line's leftmost and rightmost letter pixels, rows without letters between lines.
        std::vector<std::pair<int, int>> lines;
        bool inLine = false;
        for (int y = from.y; y < std::min(to.y, picture.height); ++y) {
            int first = -1, end = -1;
            for (int x = from.x; x < std::min(to.x, picture.width); ++x)
                if (isLetter(picture.At(x, y))) {
                    first = first < 0 ? x : first;
                    end = x;
                }
            if (first >= 0 && !inLine)
                lines.emplace_back(first, end);
            else if (first >= 0)
                lines.back() = {std::min(lines.back().first, first), std::max(lines.back().second, end)};
            inLine = first >= 0;
        }
        ASSERT_GE(lines.size(), 2u);
        // Lines are centred by whole spaces: within the width of one.
        const int middle = hall.Window(512.0f, 0.0f).x;
        EXPECT_NEAR((lines[0].first + lines[0].second) / 2, middle, 12) << lines[0].first << " " << lines[0].second;
        EXPECT_LT(lines[0].second - lines[0].first, lines[1].second - lines[1].first);
    }
    ASSERT_TRUE(hall.Key("Escape"));
    ASSERT_TRUE(WaitUntil([&] { return !onParchment(); }));

    // The lamp lights the room and the notebook fades in; its close button (706, 150, 40 x 40)
    // fades it out, and the drawer's note shows in the popups' frame after it; Escape closes
    // that.
    const WindowPoint page = hall.Window(300.0f, 170.0f), frame = hall.Window(280.0f, 560.0f);
    const auto notebook = [&] { return Near(hall.Colour(page), 0xF3EAD2, 12); };
    const auto note = [&] { return Near(hall.Colour(frame), 0x1C2440, 24); };
    ASSERT_TRUE(ClickUntil(hall.Window(200.0f, 420.0f), notebook)) << std::hex << hall.Colour(page);
    EXPECT_FALSE(note());
    ASSERT_TRUE(hall.Click(hall.Window(726.0f, 170.0f)));
    ASSERT_TRUE(WaitUntil([&] { return !notebook(); }));
    ASSERT_TRUE(WaitUntil(note)) << std::hex << hall.Colour(frame);
    ASSERT_TRUE(hall.Key("Escape"));
    EXPECT_TRUE(WaitUntil([&] { return !note(); }));
    Quit();
}

// F4 in developer mode completes the items list, and the hall's script goes on to the
// congratulations; the items that a script function waits on (each find calls "OnFind", the
// journal "OnJournal") are not the shortcut's to click, and stay for the player. They stay once
// the congratulations have faded too, as long as any fade of theirs would have taken.
TEST_F(HallProgram, InDeveloperModeF4CompletesTheListAndLeavesTheWaitedItems)
{
    StartNewPlayer(true);
    if (HasFatalFailure())
        return;
    Find("key");
    ASSERT_TRUE(hall.Key("F4"));
    ASSERT_TRUE(WaitUntil([&] { return hall.Shown("well_done"); }));
    Find("well_done");
    for (const char* item : kHallItems) {
        if (std::string(item) != "key") {
            EXPECT_TRUE(hall.Shown(item)) << item;
        }
    }
    Quit();
}

// The score plate counts up on a find, and the sign that the last find brings carries its words
// in the player's language: "Well done!", or "Bravo !" with a French system language.
TEST_F(HallProgram, TheScorePlateCountsUpAndTheSignSpeaksThePlayersLanguage)
{
    uint32_t sign[2] = {};
    for (int french = 0; french < 2; ++french) {
        SCOPED_TRACE(french ? "French" : "English");
        if (french) {
            // A new player again, whose system speaks French, on the same data.
            fs::remove_all(root + "/user");
            fs::create_directories(root + "/user");
            for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
                environment.push_back({name, "fr_FR.UTF-8"});
            Continue();
        } else {
            StartNewPlayer(true);
        }
        if (HasFatalFailure())
            return;
        const std::string capture = root + "/window.xwd";
        const auto plate = [&] { return hall.White("score_plate", 6.0f, capture); };
        const uint32_t zero = plate();
        EXPECT_GT(zero, 0u);
        Find("key");
        EXPECT_TRUE(WaitUntil([&] { return plate() > zero; }));
        ASSERT_TRUE(hall.Key("F4"));
        ASSERT_TRUE(WaitUntil([&] { return hall.Shown("well_done"); }));
        // Once the sign has faded in, its words stay as they are.
        uint32_t last = 0;
        EXPECT_TRUE(WaitUntil([&] {
            const uint32_t now = hall.White("well_done", 8.0f, capture);
            const bool still = now > 100 && now == last;
            last = now;
            return still;
        }));
        sign[french] = last;
        Quit();
    }
    EXPECT_NE(sign[0], sign[1]);
}

// A find scores a green "+1" that rises from the item's corner, in the particles' front layer.
TEST_F(HallProgram, AFindScoresAGreenPlusOneOverTheItem)
{
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    const auto green = [&] { return hall.GreenPixels(552.0f, 506.0f, 700.0f, 640.0f); };
    const int before = green();
    EXPECT_TRUE(ClickUntil(hall.Centre("key"), [&] { return green() > before + 20; })) << before;
    Quit();
}

// A find throws pale yellow stars from the item.
TEST_F(HallProgram, AFindThrowsStarsFromTheItem)
{
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    const WindowPoint book = hall.Centre("book");
    const int before = hall.StarPixels(book, 40);
    EXPECT_TRUE(ClickUntil(book, [&] { return hall.StarPixels(book, 40) > before + 40; })) << before;
    Quit();
}

// The key dissolves when found, and the game's click effect sparkles over it until it has
// played; the green "+1" rises beside.
TEST_F(HallProgram, AFoundKeySparklesWhileItDissolves)
{
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    const WindowPoint key = hall.Centre("key");
    const int before = hall.PalePixels(key, 40);
    EXPECT_TRUE(ClickUntil(key, [&] { return hall.PalePixels(key, 40) > before + 40; })) << before;
    EXPECT_TRUE(WaitUntil([&] { return hall.Gone("key"); }));
    EXPECT_LE(hall.PalePixels(key, 40), before + 5);
    Quit();
}

// The chandelier's light pulses and the clouds drift past the window: two readings of each
// differ, a moment apart.
TEST_F(HallProgram, TheChandelierPulsesAndTheCloudsDrift)
{
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    for (const char* element : {"chandelier", "clouds"}) {
        SCOPED_TRACE(element);
        const std::vector<uint32_t> first = hall.Pixels(element);
        ASSERT_FALSE(first.empty());
        // A pulse changes every pixel's light; a drift moves the clouds' pixels.
        const auto changed = [&first](const std::vector<uint32_t>& now) {
            size_t count = 0;
            for (size_t i = 0; i < first.size() && i < now.size(); ++i)
                count += !Near(int64_t(first[i]), int64_t(now[i]), 24);
            return count;
        };
        EXPECT_TRUE(WaitUntil([&] {
            const std::vector<uint32_t> now = hall.Pixels(element);
            return now.size() == first.size() && changed(now) > first.size() / 10;
        }, 10));
    }
    Quit();
}

// The hall's script waits for its items list while the player finds the items: a game closed
// after two finds continues with both found and ticked in the list, and the saved script goes on
// once the rest are found, bringing the congratulations.
TEST_F(HallProgram, AClosedGameContinuesWithItsFindsAndItsWaitingScript)
{
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    Find("key");
    Find("candle");
    ASSERT_TRUE(WaitForCells([](const std::vector<ListCell>& c) { return c[0].Ticked() && c[1].Ticked(); }));
    Quit();
    const std::string file = root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav";
    const std::string dump = ProfileDump(file);
    for (const char* name : {"key", "candle"}) {
        const uint32_t flags = DumpedElementFlags(dump, name);
        EXPECT_TRUE(flags != 0xFFFFFFFFu && (flags & 0x10000000u)) << name << " (found)\n" << dump;
    }
    // The road skipped the tutorial by its close part: the profile keeps the tutorial on.
    EXPECT_NE(dump.find("flags 0x0\n"), std::string::npos) << dump;

    Continue();
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(hall.Gone("key"));
    EXPECT_TRUE(hall.Gone("candle"));
    // The list as it was left: the two finds ticked, the four others still to find.
    std::vector<ListCell> cells;
    EXPECT_TRUE(WaitForCells([](const std::vector<ListCell>& c) {
        return c[0].Ticked() && c[1].Ticked() && c[2].Written() && c[5].Written();
    }, &cells));
    for (int cell : {2, 3, 4, 5})
        EXPECT_FALSE(cells[cell].Ticked()) << cell;
    for (const char* item : {"coin", "book", "coin2", "apple", "coin3", "quill"}) {
        Find(item);
        if (HasFatalFailure())
            return;
    }
    EXPECT_TRUE(WaitUntil([&] { return hall.Shown("well_done"); }));
    Quit();
}

// The hall's items list as the player reads it: each cell shows its item's name, a find ticks
// its cell, the coin counts its three copies down ("3 x Coin", "2 x Coin", "Coin") before its
// tick, and the door shows only after the last find.
TEST_F(HallProgram, TheListTicksEachFindAndTheLastShowsTheDoor)
{
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    std::vector<ListCell> cells;
    ASSERT_TRUE(WaitForCells([](const std::vector<ListCell>& c) {
        return std::all_of(c.begin(), c.end(), [](const ListCell& cell) { return cell.Written() && !cell.Ticked(); });
    }, &cells));
    EXPECT_TRUE(hall.Gone("door"));
    const char* const ticked[] = {"key", "candle", "book", "apple", "quill"};
    for (int cell = 0; cell < 5; ++cell) {
        Find(ticked[cell]);
        if (HasFatalFailure())
            return;
        EXPECT_TRUE(WaitForCells([cell](const std::vector<ListCell>& c) { return c[cell].Ticked(); })) << ticked[cell];
    }
    const ListCell three = hall.Cells(root + "/root.xwd")[5];
    Find("coin");
    ASSERT_TRUE(WaitForCells([&](const std::vector<ListCell>& c) { return !(c[5] == three); }, &cells));
    const ListCell two = cells[5];
    EXPECT_FALSE(two.Ticked());
    EXPECT_NEAR(two.left, three.left, 2);   // one digit for another, each with its own bearing
    Find("coin2");
    ASSERT_TRUE(WaitForCells([&](const std::vector<ListCell>& c) { return c[5].left > two.left + 10; }, &cells));
    EXPECT_FALSE(cells[5].Ticked());
    EXPECT_TRUE(hall.Gone("door"));
    Find("coin3");
    EXPECT_TRUE(WaitForCells([](const std::vector<ListCell>& c) { return c[5].Ticked(); }));
    EXPECT_TRUE(WaitUntil([&] { return hall.Shown("door"); }));
    Quit();
}

namespace {

// The hall's welcome text as a player sees it on the full screen (1024 x 768, the reference
// size): the popups object's parchment in the middle, the page buttons on the band below.
constexpr int kParchmentX = 240, kParchmentY = 200;   // inside the parchment's border
constexpr int kPreviousX = 64, kPreviousY = 712;      // the arrow of the previous button
constexpr int kBesideX = 900, kBesideY = 400;         // beside the parchment and the buttons

// The popups object's parchment, under a popup text.
bool IsParchment(int64_t rgb)
{
    return rgb >= 0 && (rgb >> 16 & 0xFF) > 0xD0 && (rgb >> 8 & 0xFF) > 0xC8 && (rgb & 0xFF) > 0xA8;
}

// A digest of the page on the parchment: the text is all that changes there.
uint64_t PageDigest(const RootPicture& screen)
{
    uint64_t digest = 1469598103934665603ull;
    for (int y = 180; y < 590; ++y)
        for (int x = 230; x < 795; ++x)
            digest = (digest ^ screen.At(x, y)) * 1099511628211ull;
    return digest;
}

// The amplitude of a band of the left channel over `frames` frames from `first`: the Hann-windowed
// amplitudes of its frequencies, from `from` to `to` by `step` Hz (Goertzel), summed as powers.
double BandAmplitude(const std::vector<float>& stereo, size_t first, size_t frames, double from, double to,
                     double step)
{
    std::vector<double> window(frames);
    double windowSum = 0.0;
    for (size_t i = 0; i < frames; ++i)
        windowSum += window[i] = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(i) / double(frames - 1));
    double power = 0.0;
    for (double hz = from; hz <= to; hz += step) {
        const double coefficient = 2.0 * std::cos(2.0 * M_PI * hz / kMixRate);
        double s1 = 0.0, s2 = 0.0;
        for (size_t i = 0; i < frames; ++i) {
            const double s0 = window[i] * stereo[2 * (first + i)] + coefficient * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double magnitude = std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - coefficient * s1 * s2));
        const double amplitude = 2.0 * magnitude / windowSum;
        power += amplitude * amplitude;
    }
    return std::sqrt(power);
}

// Where a band first rises above `threshold` at or after frame `from`, in 10 ms hops of 40 ms
// windows; -1 when it never does.
int64_t FirstInBand(const std::vector<float>& stereo, size_t from, double low, double high, double step,
                    double threshold)
{
    constexpr size_t kWindow = kMixRate / 25, kHop = kMixRate / 100;
    for (size_t at = from; at + kWindow <= stereo.size() / 2; at += kHop)
        if (BandAmplitude(stereo, at, kWindow, low, high, step) > threshold)
            return int64_t(at);
    return -1;
}

bool IsRed(uint32_t rgb)
{
    return int(rgb >> 16 & 0xFF) > 160 && int(rgb >> 8 & 0xFF) < 70;
}

}  // namespace

// The hall opens with its welcome text in three parts: clicks beside the buttons and Space step
// through them, the previous button shows from the second part on, a profile saved on the second
// part opens on it again, the last step closes the text and the hall's script goes on (its title
// card fades out); the first find shows the narrator's line, which goes by itself; a French
// player reads the French text, and Escape closes it at once.
TEST_F(Program, TheHallsWelcomeTextIsSteppedThroughAndGoesOnInTheNextRun)
{
    if (!HaveXdotool() || std::system("command -v xwd >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs an X display, xdotool and xwd (run under xvfb-run)";
    LinkData();
    const std::string shot = root + "/screen.xwd";
    const auto screen = [&] { return ReadRootWindow(shot); };
    // The screen once it shows what is wanted, and, when `still`, once the page has stopped
    // changing (the popup's transitions fade the last frame out); empty after fifteen seconds.
    const auto settled = [&](const std::function<bool(const RootPicture&)>& wanted, bool still = true) {
        uint64_t last = 0;
        for (int i = 0; i < 100; ++i) {
            RootPicture now = screen();
            if (!now.pixels.empty() && wanted(now) && (!still || PageDigest(now) == last))
                return now;
            last = now.pixels.empty() ? 0 : PageDigest(now);
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        }
        return RootPicture{};
    };
    const auto open = [](const RootPicture& s) { return IsParchment(s.At(kParchmentX, kParchmentY)); };
    const auto closed = [](const RootPicture& s) { return !IsParchment(s.At(kParchmentX, kParchmentY)); };
    const auto previousShown = [](const RootPicture& s) { return (s.At(kPreviousX, kPreviousY) >> 16 & 0xFF) > 0xC0; };
    const auto input = [](const std::string& id, const std::string& what) {
        return std::system(("xdotool windowfocus --sync " + id + " " + what).c_str());
    };
    const auto clickBeside = [&](const std::string& id) {
        return std::system(("xdotool mousemove --window " + id + " " + std::to_string(kBesideX) + " " +
                            std::to_string(kBesideY) + " click 1").c_str());
    };
    environment = {{"LANG", "en_GB.UTF-8"}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}};
    // Each run passes the title first: a new player's name, or the returning player's row.
    const auto pastTheTitle = [](const std::string& id, bool returning) {
        HallWindow window;
        return window.Open(id) && WaitUntil([&] { return window.TitleShows(); }, 60) &&
               PlayTheTitle(window, returning);
    };

    // First run: part 1, then part 2 on a click beside the buttons; the game ends there.
    uint64_t english = 0, second = 0;
    {
        const pid_t pid = Start("nimbrel_test_nosplash", {"--frames", "100000"});
        const std::string id = MainWindow(pid);
        ASSERT_NE(id, "");
        ASSERT_TRUE(pastTheTitle(id, false)) << Stderr();
        const RootPicture first = settled(open);
        ASSERT_FALSE(first.pixels.empty()) << "the welcome text never showed: " << Stderr();
        EXPECT_FALSE(previousShown(first)) << std::hex << first.At(kPreviousX, kPreviousY);
        english = PageDigest(first);
        ASSERT_EQ(clickBeside(id), 0);
        const RootPicture next = settled([&](const RootPicture& s) { return open(s) && PageDigest(s) != PageDigest(first); });
        ASSERT_FALSE(next.pixels.empty());
        EXPECT_TRUE(previousShown(next)) << std::hex << next.At(kPreviousX, kPreviousY);
        second = PageDigest(next);
        kill(pid, SIGTERM);
        ASSERT_EQ(Wait(pid), 0) << Stderr();
    }

    // Second run: the saved profile opens on part 2; Space shows part 3, a click closes the text.
    {
        const pid_t pid = Start("nimbrel_test_nosplash", {"--frames", "100000"});
        const std::string id = MainWindow(pid);
        ASSERT_NE(id, "");
        ASSERT_TRUE(pastTheTitle(id, true)) << Stderr();
        const RootPicture again = settled(open);
        ASSERT_FALSE(again.pixels.empty()) << Stderr();
        EXPECT_EQ(PageDigest(again), second);
        EXPECT_TRUE(previousShown(again));
        ASSERT_EQ(input(id, "key space"), 0);
        const RootPicture third =
            settled([&](const RootPicture& s) { return open(s) && PageDigest(s) != second; });
        ASSERT_FALSE(third.pixels.empty());
        EXPECT_TRUE(previousShown(third));
        const uint32_t title = third.At(512, 56);
        ASSERT_EQ(clickBeside(id), 0);
        // Closed, and the hall's script went on: its title card fades out.
        const RootPicture after =
            settled([&](const RootPicture& s) { return closed(s) && s.At(512, 56) != title; }, false);
        ASSERT_FALSE(after.pixels.empty()) << std::hex << screen().At(512, 56) << " " << title;
        EXPECT_FALSE(settled([&](const RootPicture& s) { return !previousShown(s); }, false).pixels.empty());

        // The first find: the narrator's line comes in on its band at the top and goes by itself.
        const uint32_t band = after.At(100, 48);
        // The key becomes clickable once the title card has gone: clicked until it is found.
        const auto dark = [](uint32_t rgb) { return (rgb >> 16 & 0xFF) < 0x50 && (rgb & 0xFF) >= (rgb >> 16 & 0xFF); };
        // Clicks come 1.1 s apart: the hall counts more than two clicks on nothing within two
        // seconds as random clicking, and its red cover would hide the band.
        bool narrated = false;
        for (int i = 0; i < 12 && !narrated; ++i) {
            ASSERT_EQ(std::system(("xdotool mousemove --window " + id + " 644 612 click 1").c_str()), 0);
            for (int j = 0; j < 11 && !narrated; ++j) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                narrated = dark(screen().At(100, 48));
            }
        }
        EXPECT_TRUE(narrated) << std::hex << screen().At(100, 48) << " was " << band;
        EXPECT_FALSE(settled([&](const RootPicture& s) { return s.At(100, 48) == band; }, false).pixels.empty())
            << std::hex << screen().At(100, 48) << " was " << band;
        kill(pid, SIGTERM);
        ASSERT_EQ(Wait(pid), 0) << Stderr();
    }

    // A French player on a new profile: the French text, closed at once by Escape.
    fs::remove_all(root + "/user");
    fs::create_directories(root + "/user");
    environment = {{"LANG", "fr_FR.UTF-8"}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}};
    {
        const pid_t pid = Start("nimbrel_test_nosplash", {"--frames", "100000"});
        const std::string id = MainWindow(pid);
        ASSERT_NE(id, "");
        ASSERT_TRUE(pastTheTitle(id, false)) << Stderr();
        const RootPicture french = settled(open);
        ASSERT_FALSE(french.pixels.empty()) << Stderr();
        EXPECT_NE(PageDigest(french), english);
        ASSERT_EQ(input(id, "key Escape"), 0);
        EXPECT_FALSE(settled(closed, false).pixels.empty());
        kill(pid, SIGTERM);
        ASSERT_EQ(Wait(pid), 0) << Stderr();
    }
}

// With SPLASHSCREENS_COUNT 0 the loading screen is the first picture: from the window's first
// showing until the world load reaches the music (held there), no frame is the first splash
// picture, and then the loading picture's moon is up.
TEST_F(Program, WithoutSplashPicturesTheLoadingScreenComesFirst)
{
    if (!HaveXdotool() || std::system("command -v xwd >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs an X display, xdotool and xwd (run under xvfb-run)";
    const std::string music = LinkDataWithHeldMusic();
    const pid_t pid = Start("nimbrel_test_nosplash", {"--frames", "100000"});
    const std::string id = MainWindow(pid);
    ASSERT_NE(id, "");
    int splashFrames = 0;
    const int pipe = WaitForMusicReader(pid, music, [&] { splashFrames += IsWarm(WindowPixel(id, 200, 384)); });
    ASSERT_GE(pipe, 0) << "the load never opened the music: " << Stderr();
    const int64_t moon = WindowPixel(id, 820, 170);
    kill(-pid, SIGKILL);
    Wait(pid);
    close(pipe);
    EXPECT_EQ(splashFrames, 0);
    EXPECT_GT(int(moon >> 16 & 0xFF), 200) << std::hex << moon;
}

// The hall played while OpenAL writes what it plays to a file: a found item sounds the default
// click (it has no sound of its own), a click beside everything the null click; three fast clicks
// beside everything cover the screen in the abuse colour, a click on an item meanwhile does not
// find it, and the cover goes after its hold and fade.
TEST_F(HallProgram, ClicksAreHeardAndRandomClickingIsPenalised)
{
    // No music under the clicks: the player turned it down.
    const std::string out = PlayToWaveFile(true);
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    Find("book");
    const WindowPoint beside = hall.Window(300.0f, 700.0f), probe = hall.Window(100.0f, 700.0f);
    ASSERT_TRUE(hall.Click(beside));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    // Random clicking: the cover comes, read back from the root window.
    ASSERT_EQ(std::system(("xdotool mousemove --window " + hall.id + " " + std::to_string(beside.x) + " " +
                           std::to_string(beside.y) + " click --repeat 3 --delay 200 1")
                              .c_str()),
              0);
    int left = 0, top = 0, width = 0, height = 0;
    WindowArea(hall.id, &left, &top, &width, &height);
    const auto probeColour = [&] {
        const RootPicture screen = ReadRootWindow(root + "/root.xwd");
        return screen.pixels.empty() ? 0u : screen.At(left + probe.x, top + probe.y);
    };
    ASSERT_TRUE(WaitUntil([&] { return IsRed(probeColour()); })) << std::hex << probeColour();
    ASSERT_TRUE(hall.Click(hall.Centre("coin")));
    // Seen still covered after the click: the click came while the cover was up (a busy
    // machine's look may come only after the cover has gone, and then tells nothing).
    const bool covered = IsRed(probeColour());
    EXPECT_TRUE(WaitUntil([&] { return !IsRed(probeColour()); }, 20)) << std::hex << probeColour();
    // The coin was not found under the cover.
    if (covered) {
        EXPECT_TRUE(hall.Shown("coin"));
    }
    Quit();

    // The default click's sweep (1400 to 700 Hz), then the null click's low tap (160 to 120 Hz).
    const std::vector<float> played = ReadStereo(out);
    ASSERT_GT(played.size(), size_t(kMixRate));
    const int64_t itemClick = FirstInBand(played, 0, 700.0, 1400.0, 25.0, 0.1);
    ASSERT_GE(itemClick, 0) << "no default click";
    const int64_t nullClick = FirstInBand(played, size_t(itemClick) + kMixRate / 10, 110.0, 170.0, 10.0, 0.1);
    EXPECT_GT(nullClick, itemClick) << "no null click after the item's";
}

// The hall names its music itself: in a variant whose menus play the silent sound, the manor's
// theme (its pad's A at 220 Hz) is in what OpenAL wrote once the hall has played a while.
TEST_F(HallProgram, TheHallPlaysItsOwnMusic)
{
    const std::string out = PlayToWaveFile(false);
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    Find("book");
    Quit();
    const std::vector<float> played = ReadStereo(out);
    EXPECT_GE(FirstInBand(played, 0, 215.0, 225.0, 5.0, 0.03), 0) << "no music";
}

namespace {

// The player's options of a fresh per-user folder: a window, not the full screen.
void WriteWindowedOptions(const std::string& userFolder)
{
    const std::string options = userFolder + "/Nimbrel " NIMBREL_APP_NAME;
    fs::create_directories(options);
    std::ofstream(options + "/" NIMBREL_APP_NAME ".v3.options.sav") << "[OPTIONS]\nENABLE_FULLSCREEN = 0\n";
}

// Colours of the sample's cursor sheet and settings (data/sample/art/cursors.png.recipe,
// data/sample/settings/app.ini).
constexpr uint32_t kLensGreen = 0x40D070, kLensRim = 0x103818, kArrowWhite = 0xFFFFFF, kArrowEdge = 0x101010;
constexpr uint32_t kBordersColour = 0x281838;

}  // namespace

// The game draws its own cursor at the pointer less the cursor's hot spot: the clickable lens
// centred on the pointer over the items list's page arrow, the arrow with its tip at the
// pointer over an item still to be found (the list keeps the cursor from giving the items
// away) and over the floor. A click on the floor leaves a touch mark that fades out within
// half a second.
TEST_F(HallProgram, TheGamesCursorFollowsThePointerAndAClickLeavesAMark)
{
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    const std::string& id = hall.id;
    int left = -1, top = -1, width = 0, height = 0;
    WindowArea(id, &left, &top, &width, &height);
    ASSERT_TRUE(left >= 0 && width > 0 && height > 0);
    const std::string shot = root + "/root.xwd";
    // Window pixels are the game's virtual units: the cursor's size and hot spot are in them.
    RootPicture screen;
    const auto at = [&](int x, int y) { return screen.At(left + x, top + y); };
    const auto move = [&](WindowPoint p) {
        return std::system(("xdotool mousemove --window " + id + " " + std::to_string(p.x) + " " +
                            std::to_string(p.y))
                               .c_str()) == 0;
    };
    // Moved to and fro until the screen shows what is wanted: the objects are asked for a
    // cursor on every move.
    const auto shows = [&](WindowPoint p, const std::function<bool(WindowPoint)>& wanted) {
        for (int i = 0; i < 100; ++i) {
            const WindowPoint now = {p.x + i % 2, p.y};
            if (!move(now))
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            screen = ReadRootWindow(shot);
            if (!screen.pixels.empty() && wanted(now))
                return true;
        }
        return false;
    };
    const auto lens = [&](WindowPoint p) {
        return Near(at(p.x, p.y), kLensGreen, 6) && Near(at(p.x + 14, p.y), kLensGreen, 6) &&
               Near(at(p.x, p.y - 20), kLensRim, 6) && Near(at(p.x - 20, p.y), kLensRim, 6);
    };
    const auto arrow = [&](WindowPoint p) {
        return Near(at(p.x - 2 + 10, p.y - 2 + 20), kArrowWhite, 6) && Near(at(p.x - 2 + 3, p.y - 2 + 30), kArrowEdge, 6);
    };

    const WindowPoint next = hall.ListCentre("next");
    EXPECT_TRUE(shows(next, lens)) << std::hex << at(next.x, next.y);
    EXPECT_TRUE(shows(hall.Centre("key"), arrow)) << std::hex << at(hall.Centre("key").x, hall.Centre("key").y);
    const WindowPoint floor = hall.Window(160.0f, 660.0f);
    ASSERT_TRUE(shows(floor, arrow)) << std::hex << at(floor.x + 8, floor.y + 18);

    // The mark is centred on the pointer less the arrow's hot spot; its ring 18 units out.
    const int ringX = floor.x - 2 - 18, ringY = floor.y - 2;
    const uint32_t ground = at(ringX, ringY);
    ASSERT_EQ(std::system(("xdotool click --window " + id + " 1").c_str()), 0);
    const auto clicked = std::chrono::steady_clock::now();
    screen = ReadRootWindow(shot);
    const uint32_t marked = at(ringX, ringY);
    EXPECT_GT(int(marked >> 8 & 0xFF), int(ground >> 8 & 0xFF) + 40) << std::hex << marked << " over " << ground;
    // Gone half a second later.
    std::this_thread::sleep_until(clicked + std::chrono::milliseconds(600));
    EXPECT_TRUE(WaitUntil([&] {
        screen = ReadRootWindow(shot);
        return !screen.pixels.empty() && Near(at(ringX, ringY), ground, 3);
    }, 2)) << std::hex << at(ringX, ringY) << " over " << ground;
    Quit();
}

// A window of another shape than the game's shows the game's definition whole between bars
// in the colour of [BORDERS]: a window taller than 4:3 gets them above and below (a 16:9
// window keeps the definition's width and crops its height: it has none).
TEST_F(Program, TheLetterboxBarsTakeTheBordersColour)
{
    if (!HaveXdotool() || std::system("command -v xwd >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs an X display, xdotool and xwd (run under xvfb-run)";
    LinkData();
    WriteWindowedOptions(root + "/user");
    // 512 x 640: the definition at half size, 128 pixels from the top and from the bottom.
    const pid_t pid = Start("nimbrel_test_tall", {"--frames", "100000"});
    const std::string id = MainWindow(pid);
    ASSERT_NE(id, "");
    int left = -1, top = -1, width = 0, height = 0;
    WindowArea(id, &left, &top, &width, &height);
    ASSERT_GE(left, 0);
    const std::pair<int, int> barPixels[] = {{2, 2}, {500, 120}, {256, 60}, {4, 638}, {508, 520}};
    bool bars = false;
    RootPicture screen;
    for (int i = 0; i < 600 && !bars && waitpid(pid, nullptr, WNOHANG) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        screen = ReadRootWindow(root + "/root.xwd");
        ASSERT_FALSE(screen.pixels.empty());
        bars = true;
        for (auto [x, y] : barPixels)
            bars = bars && Near(screen.At(left + x, top + y), kBordersColour, 3);
        // Inside the definition the hall shows.
        bars = bars && !Near(screen.At(left + 100, top + 300), kBordersColour, 3);
    }
    EXPECT_TRUE(bars) << std::hex << screen.At(left + 2, top + 2) << " " << screen.At(left + 4, top + 638);
    kill(pid, SIGTERM);
    EXPECT_EQ(Wait(pid), 0) << Stderr();
}

// The hall's hint button and score monitor played from outside. The monitor's plate shows its
// count from the start, another after the first find and another at the end. A click on the hint
// lamps one item still to find with the glow (beside the item, where the hall's picture showed,
// the glow shows) while that item's entry in the list stays bright and the others dim; a second
// click while it shows keeps it lit past the time the first alone would have ended. The
// narrator's well done comes once; with nothing left, the hint opens the hunt on the parchment.
TEST_F(HallProgram, TheHintLightsAnItemLeftAndTheMonitorCountsTheFinds)
{
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    const std::string staging = kBin + "/../sample_staging/" NIMBREL_APP_NAME;
    const std::map<std::string, SceneRect> hint = SceneRects(staging + "_object_8.raw");
    const std::map<std::string, SceneRect> monitor = SceneRects(staging + "_object_9.raw");
    const std::map<std::string, SceneRect> items = SceneRects(staging + "_object_1.raw");
    ASSERT_TRUE(hint.count("button") && monitor.count("plate"));
    const SceneRect& lamp = hint.at("button");
    const WindowPoint button = hall.Window(lamp.x + lamp.width * 0.5f, lamp.y + lamp.height * 0.5f);

    // The count: where the pale text pixels lie over the plate, in one capture of the window.
    const auto count = [&] {
        const RootPicture picture = ReadWindowPicture(hall.id);
        const SceneRect& plate = monitor.at("plate");
        const WindowPoint from = hall.Window(plate.x + 4.0f, plate.y + 4.0f);
        const WindowPoint to = hall.Window(plate.x + plate.width - 4.0f, plate.y + plate.height - 4.0f);
        std::vector<int> pale;
        for (int y = std::max(from.y, 0); y < std::min(to.y, picture.height); ++y)
            for (int x = std::max(from.x, 0); x < std::min(to.x, picture.width); ++x) {
                const uint32_t c = picture.At(x, y);
                if ((c >> 16 & 0xFF) > 200 && (c >> 8 & 0xFF) > 190 && (c & 0xFF) > 140)
                    pale.push_back(y * 4096 + x);
            }
        return pale;
    };
    // The count once it has stopped changing.
    const auto settledCount = [&] {
        SteadyLook<std::vector<int>> steady;
        WaitUntil([&] { return steady(count()); });
        return steady.Last();
    };
    const std::vector<int> none = settledCount();
    EXPECT_GT(none.size(), 20u);

    // Beside each item to find (to its right, or else to its left), a point that shows the hall's
    // picture: the glow lights it. One capture of the window is read for all of them.
    const char* const cellOf[] = {"key", "candle", "book", "apple", "quill", "coin"};
    std::map<std::string, WindowPoint> beside;
    for (const char* name : kHallItems) {
        const SceneRect& r = items.at(name);
        for (const float x : {r.x + r.width + 8.0f, r.x - 8.0f}) {
            const WindowPoint p = hall.Window(x, r.y + r.height * 0.5f);
            if (!beside.count(name) && hall.ShowsThePicture(p))
                beside[name] = p;
        }
    }
    ASSERT_EQ(beside.size(), std::size(kHallItems));
    const auto lit = [&] {
        const RootPicture picture = ReadWindowPicture(hall.id);
        for (const auto& [name, p] : beside)
            if (!picture.pixels.empty() && !Near(picture.At(p.x, p.y), hall.Background(p)))
                return name;
        return std::string();
    };
    ASSERT_TRUE(hall.Click(button));
    std::string target;
    ASSERT_TRUE(WaitUntil([&] { return !(target = lit()).empty(); })) << Stderr();
    const auto litAt = std::chrono::steady_clock::now();
    // Its list entry stays bright, the others dim.
    int cell = 5;
    for (int i = 0; i < 5; ++i)
        if (target == cellOf[i])
            cell = i;
    EXPECT_TRUE(WaitForCells([cell](const std::vector<ListCell>& c) {
        for (int i = 0; i < 6; ++i)
            if (c[i].Written() != (i == cell))
                return false;
        return true;
    })) << target;
    // A second click in the shown phase (1 s of fading in, 3 s shown): the glow, on whichever
    // item it now points at, stays 4 s more, well past the 5 s the first alone would have lasted.
    std::this_thread::sleep_until(litAt + std::chrono::milliseconds(2500));
    ASSERT_TRUE(hall.Click(button));
    ASSERT_TRUE(WaitUntil([&] { return lit().empty(); }));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - litAt).count();
    EXPECT_GT(seconds, 5.6) << target;

    // Each heirloom found counts one: another count after the first, another at the end.
    Find("key");
    if (HasFatalFailure())
        return;
    std::vector<int> one;
    EXPECT_TRUE(WaitUntil([&] { return (one = settledCount()) != none && one.size() > 20; }));
    const WindowPoint band = hall.Window(100.0f, 48.0f);
    for (const char* name : {"candle", "book", "apple", "quill", "coin", "coin2"}) {
        Find(name);
        if (HasFatalFailure())
            return;
    }
    // The first find's narrator line has gone by now; the last find brings the well done.
    ASSERT_TRUE(WaitUntil([&] { return hall.ShowsThePicture(band); }, 20));
    Find("coin3");
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(WaitUntil([&] { return !hall.ShowsThePicture(band); }));
    std::vector<int> six;
    EXPECT_TRUE(WaitUntil([&] { return (six = settledCount()) != one && six != none && six.size() > 20; }));
    // It goes by itself and does not come again.
    EXPECT_TRUE(WaitUntil([&] { return hall.ShowsThePicture(band); }, 20));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_TRUE(hall.ShowsThePicture(band));

    // Nothing is left: the hint shows the hunt's objective on the popups' parchment.
    const WindowPoint parchment = hall.Window(240.0f, 200.0f);
    EXPECT_FALSE(IsParchment(hall.Colour(parchment)));
    ASSERT_TRUE(hall.Click(button));
    EXPECT_TRUE(WaitUntil([&] { return IsParchment(hall.Colour(parchment)); })) << std::hex << hall.Colour(parchment);
    Quit();
}

// ---- chapter 2's mini-games ----------------------------------------------------------------------

namespace {

// The sample's objects of chapter 2's mini-games.
constexpr uint32_t kCirclesObject = 10, kMixtureObject = 12;

// A level of the sample in the program's window: its elements' centres from its built
// element-info file (`vornel scene dump`), fitted into the window, xdotool's clicks, and the
// window's colours from one capture.
class LevelWindow {
public:
    bool Open(const std::string& windowId)
    {
        id = windowId;
        return WindowFit(id, fit);
    }
    // The elements of the sample's object `number`.
    bool Read(uint32_t number)
    {
        rects = SceneRects(kBin + "/../sample_staging/" NIMBREL_APP_NAME "_object_" + std::to_string(number) + ".raw");
        return !rects.empty();
    }
    WindowPoint Window(float x, float y) const
    {
        return {int(std::lround(fit[0] + x * fit[2])), int(std::lround(fit[1] + y * fit[3]))};
    }
    WindowPoint Centre(const std::string& element) const
    {
        const SceneRect& r = rects.at(element);
        return Window(r.x + r.width * 0.5f, r.y + r.height * 0.5f);
    }
    // The colours at the points, from one capture of the window (-1 outside it).
    std::vector<int64_t> Colours(const std::vector<WindowPoint>& points) const { return WindowColours(id, points); }
    int64_t Colour(WindowPoint p) const { return Colours({p})[0]; }
    // The pointer then goes to the window's corner, so that the cursor covers nothing read.
    bool Click(WindowPoint p) const
    {
        return std::system(("xdotool mousemove --window " + id + " " + std::to_string(p.x) + " " +
                            std::to_string(p.y) + " click 1 mousemove --window " + id + " 1 1")
                               .c_str()) == 0;
    }

    std::string id;
    std::map<std::string, SceneRect> rects;

private:
    float fit[4] = {0.0f, 0.0f, 1.0f, 1.0f};
};

// The three flat colours of the circles' kinds: red (left), green (middle), blue (right).
char CirclesKind(int64_t rgb)
{
    if (rgb < 0)
        return '?';
    const int r = int(rgb >> 16 & 0xFF), g = int(rgb >> 8 & 0xFF), b = int(rgb & 0xFF);
    if (r > 150 && g < 100 && b < 100)
        return 'L';
    if (g > 130 && r < 100 && b < 120)
        return 'M';
    if (b > 150 && r < 100 && g < 130)
        return 'R';
    return '?';
}

bool IsBannerGold(int64_t rgb)
{
    return rgb >= 0 && (rgb >> 16 & 0xFF) > 200 && (rgb >> 8 & 0xFF) > 170 && (rgb & 0xFF) < 120;
}

// The circles level of the sample, as the player sees it: the ten places at their ring
// positions about the two centres, read as "LLLMMMMRRR", and the solver's turns as its arrows.
class CirclesPlayer {
public:
    explicit CirclesPlayer(LevelWindow& window) : level(window)
    {
        // The rings' layout, dealt once: the places' order along the rings.
        const char* items[] = {"circles_game_play", "circles_register_center_left", "circles_register_center_right",
                               "circles_register_items_ref_left", "circles_register_items_ref_middle",
                               "circles_register_items_ref_right"};
        for (int32_t i = 0; i < 6; ++i)
            *board.ItemWord(items[i]) = i;
        board.Word("circles_random_count", "1");
        EXPECT_EQ(board.Deal(), kStatusOk);
    }

    // Each place's kind, from the colour at its centre: a ring's position k lies the ring's
    // radius (the centres' distance) from its centre at 30 + 60 k degrees.
    std::string Arrangement()
    {
        const SceneRect& l = level.rects.at("centre_l");
        const SceneRect& r = level.rects.at("centre_r");
        const float centres[2][2] = {{l.x + l.width * 0.5f, l.y + l.height * 0.5f},
                                     {r.x + r.width * 0.5f, r.y + r.height * 0.5f}};
        const float radius = centres[1][0] - centres[0][0];
        std::vector<WindowPoint> points(kCirclesPlaces);
        for (CirclesRing ring : {kCirclesRingLeft, kCirclesRingRight})
            for (uint32_t k = 0; k < kCirclesRingPositions; ++k) {
                float m[16];
                CirclesBoard::PlaceMatrix(30.0f + 60.0f * float(k), radius, m);
                const float* c = centres[ring == kCirclesRingRight];
                points[board.RingPlace(ring, k)] = level.Window(c[0] + m[12], c[1] + m[13]);
            }
        std::string kinds;
        for (int64_t colour : level.Colours(points))
            kinds += CirclesKind(colour);
        return kinds;
    }
    static bool Dealt(const std::string& kinds) { return kinds.find('?') == std::string::npos; }

    // The shortest turns from what the screen shows, as arrows.
    std::vector<std::string> Solution()
    {
        const std::string kinds = Arrangement();
        EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 'L'), 3) << kinds;
        EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 'M'), 4) << kinds;
        SetCirclesArrangement(board, kinds);
        const char* arrows[] = {"arrow_left_up", "arrow_left_down", "arrow_right_up", "arrow_right_down"};
        std::vector<std::string> moves;
        for (CirclesAction move : SolveCircles(board).moves)
            moves.push_back(arrows[move]);
        return moves;
    }

    // Clicks an arrow and waits until the places show `after` at rest.
    void Turn(const std::string& arrow, const std::string& after)
    {
        SCOPED_TRACE(arrow);
        ASSERT_TRUE(level.Click(level.Centre(arrow)));
        ASSERT_TRUE(WaitUntil([&] { return Arrangement() == after; }, 10)) << Arrangement() << " not " << after;
    }
    // The arrangement after the arrow's turn.
    std::string Turned(const std::string& kinds, const std::string& arrow)
    {
        const char* arrows[] = {"arrow_left_up", "arrow_left_down", "arrow_right_up", "arrow_right_down"};
        SetCirclesArrangement(board, kinds);
        board.Turn(CirclesAction(std::find(arrows, arrows + 4, arrow) - arrows));
        return CirclesArrangement(board);
    }
    void SolveAndSeeTheBanner()
    {
        std::string kinds = Arrangement();
        const std::vector<std::string> moves = Solution();
        ASSERT_FALSE(moves.empty()) << kinds;
        for (const std::string& arrow : moves) {
            kinds = Turned(kinds, arrow);
            Turn(arrow, kinds);
            if (::testing::Test::HasFatalFailure())
                return;
        }
        ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))); }, 10));
    }

private:
    class NoRandom : public LevelBoardHost {
        uint32_t NextRandom() override { return 0; }
        void BoardFinished(uint8_t) override {}
    };

    LevelWindow& level;
    NoRandom random;
    CirclesBoard board{&random};
};

// After the circles the spider goes on alone; then the mixture's three flasks are poured in
// order, by a click each, and its banner shows.
void PlayTheSpiderAndTheMixture(LevelWindow& level)
{
    // The spider's wall, then the mixture's table, at a corner none of their items covers.
    const WindowPoint corner = level.Window(980.0f, 40.0f);
    ASSERT_TRUE(WaitUntil([&] { return Near(level.Colour(corner), 0x2A2430); }, 20));
    ASSERT_TRUE(WaitUntil([&] { return Near(level.Colour(corner), 0x3A2A20); }, 30));
    ASSERT_TRUE(level.Read(kMixtureObject));
    for (const char* flask : {"flask_red", "flask_blue", "flask_green"}) {
        SCOPED_TRACE(flask);
        const WindowPoint at = level.Centre(flask);
        ASSERT_FALSE(Near(level.Colour(at), 0x3A2A20));
        ASSERT_TRUE(level.Click(at));
        ASSERT_TRUE(WaitUntil([&] { return Near(level.Colour(at), 0x3A2A20); }, 10));
    }
    ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))); }, 10));
}

// A sample level as the program shows it: started at the circles (or from the saved game) and
// followed on the screen by the sample's level window.
class CirclesProgram : public Program {
protected:
    void SetUp() override
    {
        Program::SetUp();
        if (!HaveXdotool() || std::system("command -v xwd >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "needs an X display, xdotool and xwd (run under xvfb-run)";
    }

    // The program, from the start at the circles or from the saved game, up to the rings'
    // deal on the screen, clicked through the splash pictures.
    void Begin(const std::vector<std::string>& args)
    {
        BeginUntil(args, kCirclesObject, [&] { return circles.Arrangement(); }, CirclesPlayer::Dealt);
    }
    // The program up to the level `object` on the screen: until `ready` holds for what `read`
    // reads there.
    void BeginUntil(const std::vector<std::string>& args, uint32_t object, const std::function<std::string()>& read,
                    const std::function<bool(const std::string&)>& ready)
    {
        pid = Start("nimbrel", args);
        const std::string id = MainWindow(pid);
        ASSERT_NE(id, "") << Stderr();
        ASSERT_TRUE(level.Open(id));
        ASSERT_TRUE(level.Read(object));
        // A saved game is continued from the title: play, then the profile's row.
        HallWindow title;
        ASSERT_TRUE(title.Open(id));
        const std::string profile = root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav";
        std::error_code error;
        const bool returning = fs::exists(profile) && fs::file_size(profile, error) > 0;
        bool road = false;
        const WindowPoint corner = level.Window(1000.0f, 740.0f);
        auto lastClick = std::chrono::steady_clock::now();
        ASSERT_TRUE(WaitUntil(
            [&] {
                if (ready(read()))
                    return true;
                if (!road && title.TitleShows()) {
                    road = PlayTheTitle(title, returning);
                    return false;
                }
                if (std::chrono::steady_clock::now() - lastClick >= std::chrono::milliseconds(700)) {
                    level.Click(corner);
                    lastClick = std::chrono::steady_clock::now();
                }
                return false;
            },
            120))
            << read() << Stderr();
    }

    void Quit()
    {
        kill(pid, SIGTERM);
        ASSERT_EQ(Wait(pid), 0) << Stderr();
    }

    LevelWindow level;
    CirclesPlayer circles{level};
    pid_t pid = 0;
};

// Started at the circles: the player reads the rings, solves them with the arrows and sees the
// banner; the spider goes on alone, then the mixture's three flasks are poured in order, and the
// jigsaw follows.
TEST_F(CirclesProgram, TheCirclesAreSolvedAndTheChapterGoesOnToTheSpiderAndTheMixture)
{
    LinkData();
    Begin({"--level", "circles", "--chapter", "2", "--frames", "1000000"});
    if (HasFatalFailure())
        return;
    circles.SolveAndSeeTheBanner();
    if (HasFatalFailure())
        return;
    PlayTheSpiderAndTheMixture(level);
    if (HasFatalFailure())
        return;
    // Then the jigsaw's floor.
    const WindowPoint corner = level.Window(980.0f, 40.0f);
    EXPECT_TRUE(WaitUntil([&] { return Near(level.Colour(corner), 0x2C3828); }, 20)) << Stderr();
    Quit();
}

// A game closed in the middle of the circles continues with the same board, which then solves.
TEST_F(CirclesProgram, AClosedGameContinuesWithTheSameBoard)
{
    LinkData();
    Begin({"--level", "circles", "--chapter", "2", "--frames", "1000000"});
    if (HasFatalFailure())
        return;
    const std::vector<std::string> moves = circles.Solution();
    ASSERT_FALSE(moves.empty());
    // One turn away from the way to the solution, so that the saved board is not the dealt one.
    const std::string turned =
        circles.Turned(circles.Arrangement(), moves[0] == "arrow_left_up" ? "arrow_right_up" : "arrow_left_up");
    circles.Turn(moves[0] == "arrow_left_up" ? "arrow_right_up" : "arrow_left_up", turned);
    if (HasFatalFailure())
        return;
    Quit();
    // The profile holds the board as the level saved it, which `vornel profile dump` prints.
    const std::string file = root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav";
    const std::string dump = ProfileDump(file);
    EXPECT_NE(dump.find("  level circles places " + turned + " left 3,4,5,2,1,0 right 7,8,9,5,6,3\n"),
              std::string::npos)
        << dump;
    Begin({"--frames", "1000000"});
    if (HasFatalFailure())
        return;
    EXPECT_EQ(circles.Arrangement(), turned);
    circles.SolveAndSeeTheBanner();
    Quit();
}

constexpr uint32_t kWheelStackObject = 17;

// The wheel stack of the sample, as the player sees it: the disc at each of its eight places
// (the left stack bottom first, the wheel's left and right slots, the right stack), read as
// "r", "g", "b" or "-", and the sample's click list played on the dummies and the wheel.
class WheelStackPlayer {
public:
    explicit WheelStackPlayer(LevelWindow& window) : level(window) {}

    // The places the discs show at, then what they show after each of the sample's clicks.
    static constexpr const char* kPlaces[] = {"left_0", "left_1", "left_2", "slot_in",
                                              "slot_out", "right_0", "right_1", "right_2"};
    static constexpr const char* kClicks[] = {"left_2", "wheel", "slot_out", "left_1", "wheel",
                                              "slot_out", "left_0", "wheel", "slot_out"};
    static constexpr const char* kAfter[] = {"bg-r----", "bg--r---", "bg---r--", "b--g-r--", "b---gr--",
                                             "b----rg-", "---b-rg-", "----brg-", "-----rgb"};

    std::string Discs()
    {
        std::vector<WindowPoint> points;
        for (const char* place : kPlaces)
            points.push_back(level.Centre(place));
        std::string discs;
        for (int64_t colour : level.Colours(points)) {
            const char kind = CirclesKind(colour);
            discs += kind == 'L' ? 'r' : kind == 'M' ? 'g' : kind == 'R' ? 'b' : '-';
        }
        return discs;
    }
    // Clicks `from` to `to` of the list, each waited for on the screen. A click that changed
    // nothing is made again, as a player would: the level's opening may still take the first.
    void Play(size_t from, size_t to)
    {
        for (size_t c = from; c < to && !::testing::Test::HasFatalFailure(); ++c) {
            SCOPED_TRACE(kClicks[c]);
            const std::string before = Discs();
            const WindowPoint at = level.Centre(kClicks[c]);
            ASSERT_TRUE(WaitUntil([&] { return level.Click(at) && LookFor([&] { return Discs() != before; }, 2); }, 20))
                << before;
            ASSERT_TRUE(WaitUntil([&] { return Discs() == kAfter[c]; }, 10)) << Discs() << " not " << kAfter[c];
        }
    }
    // The banner over the solved stacks.
    void SeeTheBanner()
    {
        ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))); }, 10));
    }

private:
    LevelWindow& level;
};

class WheelStackProgram : public CirclesProgram {
protected:
    void Begin(const std::vector<std::string>& args, const std::string& shows)
    {
        BeginUntil(args, kWheelStackObject, [&] { return stacks.Discs(); },
                   [&](const std::string& discs) { return discs == shows; });
    }
    // The banner over the solved stacks, then chapter 2 goes on to the switch's floor.
    void SeeTheBannerAndTheNextLevel()
    {
        stacks.SeeTheBanner();
        if (HasFatalFailure())
            return;
        const WindowPoint corner = level.Window(1000.0f, 740.0f);
        EXPECT_TRUE(WaitUntil([&] { return Near(level.Colour(corner), 0x302838); }, 20)) << Stderr();
    }

    WheelStackPlayer stacks{level};
};

// Started at the wheel stack: the three discs go across by the sample's clicks on the places
// and the wheel; the banner shows and the switch follows.
TEST_F(WheelStackProgram, TheDiscsCrossTheWheelAndTheChapterGoesOnToTheSwitch)
{
    LinkData();
    Begin({"--level", "wheelstack", "--chapter", "2", "--frames", "1000000"}, "bgr-----");
    if (HasFatalFailure())
        return;
    stacks.Play(0, std::size(WheelStackPlayer::kClicks));
    if (HasFatalFailure())
        return;
    SeeTheBannerAndTheNextLevel();
    Quit();
}

constexpr uint32_t kSwitchObject = 19;

// The switch of the sample, as the player sees it: the piece at each of the nine cells read by
// its colour ("0" to "8", "?" for none), put back by selection sort, two clicks an exchange.
class SwitchPlayer {
public:
    explicit SwitchPlayer(LevelWindow& window) : level(window) {}

    std::string Pieces()
    {
        static const int64_t colours[] = {0xD03030, 0xE08020, 0xE0D030, 0x30B040, 0x30B0B0,
                                          0x3050D0, 0x9040C0, 0xE070B0, 0x806040};
        const SceneRect& r = level.rects.at("picture");
        std::vector<WindowPoint> points;
        for (int c = 0; c < 9; ++c)
            points.push_back(level.Window(r.x + 100.0f * float(c % 3) + 60.0f, r.y + 100.0f * float(c / 3) + 60.0f));
        std::string pieces;
        for (int64_t colour : level.Colours(points)) {
            char piece = '?';
            for (int i = 0; i < 9; ++i)
                if (Near(colour, colours[i], 12))
                    piece = char('0' + i);
            pieces += piece;
        }
        return pieces;
    }
    WindowPoint Cell(size_t c)
    {
        const SceneRect& r = level.rects.at("picture");
        return level.Window(r.x + 100.0f * float(c % 3) + 50.0f, r.y + 100.0f * float(c / 3) + 50.0f);
    }
    // All nine pieces show, not all in their places.
    static bool Dealt(const std::string& pieces)
    {
        std::string sorted = pieces;
        std::sort(sorted.begin(), sorted.end());
        return sorted == "012345678" && pieces != "012345678";
    }
    // Each piece clicked home by selection sort, two clicks an exchange; the whole picture and
    // the banner.
    void PutBack()
    {
        std::string pieces = Pieces();
        for (char piece = '0'; piece <= '8'; ++piece) {
            const size_t at = pieces.find(piece), home = size_t(piece - '0');
            if (at == home)
                continue;
            SCOPED_TRACE(pieces);
            ASSERT_TRUE(level.Click(Cell(at)));
            ASSERT_TRUE(level.Click(Cell(home)));
            std::swap(pieces[at], pieces[home]);
            ASSERT_TRUE(WaitUntil([&] { return Pieces() == pieces; }, 10)) << Pieces() << " not " << pieces;
        }
        ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))); }, 10));
    }

private:
    LevelWindow& level;
};

class SwitchProgram : public CirclesProgram {
protected:
    SwitchPlayer switcher{level};
};

// Started at the switch: the nine pieces read off the screen and put back by clicks; the whole
// picture, the banner, then the circles.
TEST_F(SwitchProgram, ThePiecesAreReadAndPutBackByClicks)
{
    LinkData();
    BeginUntil({"--level", "switch", "--chapter", "2", "--frames", "1000000"}, kSwitchObject,
               [&] { return switcher.Pieces(); }, SwitchPlayer::Dealt);
    if (HasFatalFailure())
        return;
    switcher.PutBack();
    if (HasFatalFailure())
        return;
    const WindowPoint corner = level.Window(1000.0f, 740.0f);
    EXPECT_TRUE(WaitUntil([&] { return Near(level.Colour(corner), 0x202830); }, 20)) << Stderr();
    Quit();
}

constexpr uint32_t kJigsawObject = 23;

// The jigsaw of the sample, as the player sees it: the piece at each of the nine cells read by
// its colour ("0" to "8", "_" for the gap, where the frame shows through, "?" for neither).
class JigsawPlayer {
public:
    explicit JigsawPlayer(LevelWindow& window) : level(window) {}

    std::string Pieces()
    {
        static const int64_t colours[] = {0xB03060, 0xF0A030, 0xA0D040, 0x2080A0, 0xF0F0A0,
                                          0x6030A0, 0x40C0E0, 0xD06020, 0x208040};
        const SceneRect& r = level.rects.at("picture");
        std::vector<WindowPoint> points;
        for (int c = 0; c < 9; ++c)
            points.push_back(level.Window(r.x + 100.0f * float(c % 3) + 60.0f, r.y + 100.0f * float(c / 3) + 60.0f));
        std::string pieces;
        for (int64_t colour : level.Colours(points)) {
            char piece = Near(colour, 0x504840, 12) ? '_' : '?';
            for (int i = 0; i < 9; ++i)
                if (Near(colour, colours[i], 12))
                    piece = char('0' + i);
            pieces += piece;
        }
        return pieces;
    }
    WindowPoint Cell(size_t c)
    {
        const SceneRect& r = level.rects.at("picture");
        return level.Window(r.x + 100.0f * float(c % 3) + 50.0f, r.y + 100.0f * float(c / 3) + 50.0f);
    }
    // All eight pieces and the gap show, not all in their places.
    static bool Dealt(const std::string& pieces)
    {
        std::string sorted = pieces;
        std::sort(sorted.begin(), sorted.end());
        return sorted == "01234567_" && pieces != "01234567_";
    }
    // The pieces slid home by the clicks of the shortest solution the search's `distance` gives;
    // the whole picture with its ninth piece and the banner.
    void SlideHome(const std::unordered_map<uint32_t, uint8_t>& distance)
    {
        std::string pieces = Pieces();
        std::vector<uint8_t> cells;
        for (char piece : pieces)
            cells.push_back(piece == '_' ? 8 : uint8_t(piece - '0'));
        const std::vector<uint32_t> clicks = JigsawClicks(cells, distance);
        ASSERT_FALSE(clicks.empty()) << pieces;
        for (uint32_t c : clicks) {
            SCOPED_TRACE(pieces);
            const std::string before = pieces;
            std::swap(pieces[c], pieces[pieces.find('_')]);
            // A click eaten by the window is clicked again, while the board still shows it as
            // before: a piece still sliding on a busy machine is not clicked on.
            auto clicked = std::chrono::steady_clock::time_point{};
            ASSERT_TRUE(WaitUntil(
                [&] {
                    const std::string now = Pieces();
                    if (now == pieces)
                        return true;
                    if (now == before && std::chrono::steady_clock::now() - clicked >= std::chrono::seconds(2)) {
                        level.Click(Cell(c));
                        clicked = std::chrono::steady_clock::now();
                    }
                    return false;
                },
                10))
                << Pieces() << " not " << pieces;
        }
        ASSERT_TRUE(WaitUntil([&] { return Pieces() == "012345678"; }, 10)) << Pieces();
        ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))); }, 10));
    }

private:
    LevelWindow& level;
};

class JigsawProgram : public CirclesProgram {
protected:
    JigsawPlayer jigsaw{level};
};

// Started at the jigsaw: the eight pieces and the gap read off the screen, slid home by the
// clicks of the shortest solution a search of every state finds; the whole picture with its
// ninth piece, the banner, then the puzzle.
TEST_F(JigsawProgram, ThePiecesAreReadAndSlidHomeByClicks)
{
    const std::unordered_map<uint32_t, uint8_t> distance = JigsawDistances();
    LinkData();
    BeginUntil({"--level", "jigsaw", "--chapter", "2", "--frames", "1000000"}, kJigsawObject,
               [&] { return jigsaw.Pieces(); }, JigsawPlayer::Dealt);
    if (HasFatalFailure())
        return;
    jigsaw.SlideHome(distance);
    if (HasFatalFailure())
        return;
    // Then the puzzle's floor, in a corner where no piece falls.
    EXPECT_TRUE(WaitUntil([&] { return Near(level.Colour(level.Window(1000.0f, 740.0f)), 0x203830); }, 20)) << Stderr();
    Quit();
}

constexpr uint32_t kMatch3Object = 27;

// The match-3 of the sample, as the player sees it: each of the 64 cells read by its colour
// ("1" to "6", "?" for none), a quarter of a cell in from its upper left corner, away from the
// centre where the help sparkle shows; the band above the board's frame, where no piece may
// show; and the pale text pixels over the monitor's plate.
class Match3Player {
public:
    explicit Match3Player(LevelWindow& window) : level(window) {}

    static constexpr int64_t kColours[] = {0xD03030, 0xE08020, 0xE0D030, 0x30B040, 0x3050D0, 0x9040C0};

    std::string Cells()
    {
        const SceneRect& r = level.rects.at("board");
        std::vector<WindowPoint> points;
        for (int c = 0; c < 64; ++c)
            points.push_back(level.Window(r.x + 40.0f * float(c % 8) + 10.0f, r.y + 40.0f * float(c / 8) + 10.0f));
        std::string cells;
        for (int64_t colour : level.Colours(points)) {
            char kind = '?';
            for (int i = 0; i < 6; ++i)
                if (Near(colour, kColours[i], 12))
                    kind = char('1' + i);
            cells += kind;
        }
        return cells;
    }
    // Whether a piece's colour shows in the band one cell high just above the board's frame,
    // over the board's columns: the new pieces start above the board, and are seen only once
    // they are in it.
    bool PieceAboveTheFrame()
    {
        const RootPicture picture = ReadWindowPicture(level.id);
        const SceneRect& board = level.rects.at("board");
        const SceneRect& frame = level.rects.at("frame");
        const WindowPoint from = level.Window(board.x, frame.y - 40.0f);
        const WindowPoint to = level.Window(board.x + board.width, frame.y);
        for (int y = std::max(from.y, 0); y < std::min(to.y, picture.height); ++y)
            for (int x = std::max(from.x, 0); x < std::min(to.x, picture.width); ++x)
                for (int64_t colour : kColours)
                    if (Near(picture.At(x, y), colour, 12))
                        return true;
        return false;
    }
    // The board once it has stopped moving, every cell known; each look meanwhile also watches
    // the band above the frame (`seenAbove`).
    std::string Settled()
    {
        SteadyLook<std::string> steady;
        WaitUntil(
            [&] {
                seenAbove = seenAbove || PieceAboveTheFrame();
                const std::string now = Cells();
                return (steady(now) && now.find('?') == std::string::npos) || Over();
            },
            20);
        return steady.Last();
    }
    // Won: the banner shows. It stays only a few seconds before the sliding blocks follow, so on
    // a slow machine the board may be seen covered by its fade, or the next level's floor,
    // instead; either comes only after the winning switch.
    bool Over()
    {
        if (won)
            return true;
        const std::string now = Cells();
        won = IsBannerGold(level.Colour(level.Centre("solved"))) ||
              std::count(now.begin(), now.end(), '?') > int(now.size()) / 2 ||
              Near(level.Colour(level.Window(1000.0f, 740.0f)), 0x145050);
        return won;
    }
    WindowPoint Cell(size_t c)
    {
        const SceneRect& r = level.rects.at("board");
        return level.Window(r.x + 40.0f * float(c % 8) + 20.0f, r.y + 40.0f * float(c / 8) + 20.0f);
    }
    std::vector<int> Plate()
    {
        const RootPicture picture = ReadWindowPicture(level.id);
        const SceneRect& plate = monitor.at("plate");
        const WindowPoint from = level.Window(plate.x + 4.0f, plate.y + 4.0f);
        const WindowPoint to = level.Window(plate.x + plate.width - 4.0f, plate.y + plate.height - 4.0f);
        std::vector<int> pale;
        for (int y = std::max(from.y, 0); y < std::min(to.y, picture.height); ++y)
            for (int x = std::max(from.x, 0); x < std::min(to.x, picture.width); ++x) {
                const uint32_t c = picture.At(x, y);
                if ((c >> 16 & 0xFF) > 200 && (c >> 8 & 0xFF) > 190 && (c & 0xFF) > 140)
                    pale.push_back(y * 4096 + x);
            }
        return pale;
    }
    // The first two neighbours in reading order whose switch lines up three of a colour.
    static bool GreedyMove(const std::string& cells, size_t* pA, size_t* pB)
    {
        const auto runs = [](const std::string& g) {
            for (size_t c = 0; c < 64; ++c) {
                const size_t x = c % 8, y = c / 8;
                if ((x + 2 < 8 && g[c + 1] == g[c] && g[c + 2] == g[c]) ||
                    (y + 2 < 8 && g[c + 8] == g[c] && g[c + 16] == g[c]))
                    return true;
            }
            return false;
        };
        for (size_t a = 0; a < 64; ++a)
            for (size_t b : {a + 1, a + 8}) {
                if ((b == a + 1 && a % 8 == 7) || b >= 64 || cells[a] == cells[b])
                    continue;
                std::string g = cells;
                std::swap(g[a], g[b]);
                if (runs(g)) {
                    *pA = a;
                    *pB = b;
                    return true;
                }
            }
        return false;
    }

    std::map<std::string, SceneRect> monitor =
        SceneRects(kBin + "/../sample_staging/" NIMBREL_APP_NAME "_object_9.raw");
    // Greedy switches by two clicks each, the board settled after each, until the monitor has
    // counted up and thirty points bring the banner.
    void PlayToThirtyPoints()
    {
        ASSERT_TRUE(monitor.count("plate"));
        const std::vector<int> none = Plate();
        bool counted = false;
        for (int move = 0; move < 60 && !Over(); ++move) {
            const std::string cells = Settled();
            if (Over())
                break;
            size_t a = 0, b = 0;
            ASSERT_TRUE(GreedyMove(cells, &a, &b)) << cells;
            SCOPED_TRACE(cells);
            // A click eaten by the window is clicked again: the first until its piece shows in the
            // selection's grey, the second until the board is no longer what it was.
            const auto clickUntil = [&](size_t c, const std::function<bool()>& done) {
                auto clicked = std::chrono::steady_clock::time_point{};
                return WaitUntil(
                    [&] {
                        if (done())
                            return true;
                        if (std::chrono::steady_clock::now() - clicked >= std::chrono::seconds(2)) {
                            level.Click(Cell(c));
                            clicked = std::chrono::steady_clock::now();
                        }
                        return false;
                    },
                    10);
            };
            ASSERT_TRUE(clickUntil(a, [&] { return Cells()[a] == '?'; })) << Cells();
            // The last switch may end the level at once.
            ASSERT_TRUE(clickUntil(b, [&] {
                const std::string now = Cells();
                return Over() || (now != cells && now[a] != '?');
            })) << Cells();
            counted = counted || LookFor([&] { return Plate() != none; }, 5);
        }
        EXPECT_TRUE(counted);
        EXPECT_FALSE(seenAbove) << "a piece showed above the board's frame while the pieces fell";
        ASSERT_TRUE(WaitUntil([&] { return Over(); }, 20));
    }

private:
    LevelWindow& level;
    bool won = false;
    bool seenAbove = false;
};

class Match3Program : public CirclesProgram {
protected:
    Match3Player match3{level};
};

// Started at the match-3: the board read off the screen away from the cells' centres, each
// greedy switch made by two clicks (the first again until its piece shows selected, the second
// again until the board moves), waiting for the board to settle after each, and no piece seen
// above the board's frame while they fall; the monitor counts up, and thirty points bring the
// banner; the sliding blocks follow.
TEST_F(Match3Program, AGreedyPlayerClicksTheBoardToThirtyPoints)
{
    LinkData();
    BeginUntil({"--level", "match3", "--chapter", "2", "--frames", "1000000"}, kMatch3Object,
               [&] { return match3.Cells(); },
               [&](const std::string& cells) { return cells.find('?') == std::string::npos; });
    if (HasFatalFailure())
        return;
    match3.PlayToThirtyPoints();
    if (HasFatalFailure())
        return;
    // Then the sliding blocks' floor.
    EXPECT_TRUE(WaitUntil([&] { return Near(level.Colour(level.Window(1000.0f, 740.0f)), 0x145050); }, 20)) << Stderr();
    Quit();
}

// A game closed after two moves continues with the discs where they were, and solves.
TEST_F(WheelStackProgram, AClosedGameContinuesWhereTheDiscsStood)
{
    LinkData();
    Begin({"--level", "wheelstack", "--chapter", "2", "--frames", "1000000"}, "bgr-----");
    if (HasFatalFailure())
        return;
    stacks.Play(0, 2);
    if (HasFatalFailure())
        return;
    Quit();
    const std::string file = root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav";
    const std::string dump = ProfileDump(file);
    EXPECT_NE(dump.find("  level wheelstack left[#"), std::string::npos) << dump;
    EXPECT_NE(dump.find(" wheel r1 {in[#"), std::string::npos) << dump;
    Begin({"--frames", "1000000"}, WheelStackPlayer::kAfter[1]);
    if (HasFatalFailure())
        return;
    stacks.Play(2, std::size(WheelStackPlayer::kClicks));
    if (HasFatalFailure())
        return;
    SeeTheBannerAndTheNextLevel();
    Quit();
}

constexpr uint32_t kLabyrinthObject = 25;

// The labyrinth of the sample, as the player sees it: the cell of the 7 x 7 maze that shows the
// red ball, the arrow buttons bright or dimmed, and the sample's key list typed into the window.
class LabyrinthPlayer {
public:
    explicit LabyrinthPlayer(LevelWindow& window) : level(window) {}

    // The key list that solves the maze, and the ball's cell (column, row) after each key.
    static constexpr const char* kKeys[] = {"Down", "Right", "Right", "Left", "Up", "Right", "Down", "Down", "Down"};
    static constexpr const char* kAfter[] = {"1,3", "2,3", "3,3", "1,3", "1,1", "5,1", "5,2", "5,4", "5,5"};

    WindowPoint Cell(int column, int row) const
    {
        const SceneRect& maze = level.rects.at("maze");
        return level.Window(maze.x + 80.0f * float(column) + 40.0f, maze.y + 80.0f * float(row) + 40.0f);
    }
    // "column,row" of the one cell the ball shows in, "-" for none or several.
    std::string Ball()
    {
        std::vector<WindowPoint> points;
        for (int cell = 0; cell < 49; ++cell)
            points.push_back(Cell(cell % 7, cell / 7));
        const std::vector<int64_t> colours = level.Colours(points);
        std::string ball = "-";
        for (int cell = 0; cell < 49; ++cell) {
            if (CirclesKind(colours[size_t(cell)]) != 'L')
                continue;
            if (ball != "-")
                return "-";
            ball = std::to_string(cell % 7) + "," + std::to_string(cell / 7);
        }
        return ball;
    }
    // Which arrows show bright brass on their rims (up, down, left, right): "1" bright, "0" dimmed.
    std::string Arrows()
    {
        std::vector<WindowPoint> points;
        for (const char* arrow : {"arrow_up", "arrow_down", "arrow_left", "arrow_right"}) {
            const SceneRect& r = level.rects.at(arrow);
            points.push_back(level.Window(r.x + r.width * 0.5f, r.y + r.height * 0.5f + 35.0f));
        }
        std::string bright;
        for (int64_t rgb : level.Colours(points))
            bright += rgb >= 0 && (rgb >> 16 & 0xFF) > 190 && (rgb >> 8 & 0xFF) > 150 ? '1' : '0';
        return bright;
    }
    // Types the key into the window until the ball shows at `after` (a key typed while the
    // window is not yet listening is typed again).
    void Key(const std::string& key, const std::string& after)
    {
        SCOPED_TRACE(key + " to " + after);
        const std::string type = "xdotool windowfocus --sync " + level.id + " key " + key;
        ASSERT_TRUE(WaitUntil([&] { return std::system(type.c_str()) == 0 && LookFor([&] { return Ball() == after; }, 2); },
                              20))
            << Ball();
    }
    void Play(size_t from, size_t to)
    {
        for (size_t k = from; k < to && !::testing::Test::HasFatalFailure(); ++k)
            Key(kKeys[k], kAfter[k]);
    }
    // The whole key list, the ball on the goal, the banner.
    void RollToTheGoal()
    {
        Play(0, std::size(kKeys));
        if (::testing::Test::HasFatalFailure())
            return;
        ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))); }, 10));
    }

private:
    LevelWindow& level;
};

class LabyrinthProgram : public CirclesProgram {
protected:
    void Begin(const std::vector<std::string>& args, const std::string& shows)
    {
        BeginUntil(args, kLabyrinthObject, [&] { return labyrinth.Ball(); },
                   [&](const std::string& ball) { return ball == shows; });
    }

    LabyrinthPlayer labyrinth{level};
};

// Started at the labyrinth: up and left are dimmed where the ball starts; a move and the reset
// button put it back; the key list brings the ball onto the goal and the banner shows; then
// chapter 2 goes on to the black jack.
TEST_F(LabyrinthProgram, TheKeyListBringsTheBallOntoTheGoal)
{
    LinkData();
    Begin({"--level", "labyrinth", "--chapter", "2", "--frames", "1000000"}, "1,1");
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(WaitUntil([&] { return labyrinth.Arrows() == "0101"; })) << labyrinth.Arrows();
    labyrinth.Play(0, 1);
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(WaitUntil([&] { return labyrinth.Arrows() == "1001"; })) << labyrinth.Arrows();
    const WindowPoint reset = level.Centre("reset_button");
    ASSERT_TRUE(
        WaitUntil([&] { return level.Click(reset) && LookFor([&] { return labyrinth.Ball() == "1,1"; }, 2); }, 20))
        << labyrinth.Ball();
    labyrinth.Play(0, std::size(LabyrinthPlayer::kKeys));
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))); }, 10)) << Stderr();
    EXPECT_EQ(labyrinth.Ball(), "5,5");
    // Chapter 2 goes on to the black jack's felt.
    EXPECT_TRUE(WaitUntil([&] { return Near(level.Colour(level.Window(1000.0f, 40.0f)), 0x1E5A32, 6); }, 20))
        << Stderr();
    Quit();
}

// The arrow buttons beside the maze move the ball as the arrow keys do.
TEST_F(LabyrinthProgram, TheArrowButtonsMoveTheBall)
{
    LinkData();
    Begin({"--level", "labyrinth", "--chapter", "2", "--frames", "1000000"}, "1,1");
    if (HasFatalFailure())
        return;
    const std::pair<const char*, std::string> presses[] = {{"arrow_down", "1,3"}, {"arrow_right", "2,3"}};
    for (const auto& press : presses) {
        SCOPED_TRACE(press.first);
        const WindowPoint at = level.Centre(press.first);
        const std::string& after = press.second;
        ASSERT_TRUE(WaitUntil([&] { return level.Click(at) && LookFor([&] { return labyrinth.Ball() == after; }, 2); },
                              20))
            << labyrinth.Ball();
    }
    Quit();
}

// A game closed in the middle of the maze, the crate on the switch, continues with the same
// board, which `vornel profile dump` prints, and plays on to the goal.
TEST_F(LabyrinthProgram, AGameClosedMidMazeContinuesThere)
{
    LinkData();
    Begin({"--level", "labyrinth", "--chapter", "2", "--frames", "1000000"}, "1,1");
    if (HasFatalFailure())
        return;
    labyrinth.Play(0, 5);
    if (HasFatalFailure())
        return;
    Quit();
    const std::string file = root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav";
    const std::string dump = ProfileDump(file);
    EXPECT_NE(dump.find("  level #######\n        #o....#\n        #.###.#\n        #...b.#\n"), std::string::npos)
        << dump;
    Begin({"--frames", "1000000"}, LabyrinthPlayer::kAfter[4]);
    if (HasFatalFailure())
        return;
    labyrinth.Play(5, std::size(LabyrinthPlayer::kKeys));
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))); }, 10)) << Stderr();
    Quit();
}

}  // namespace

namespace {

constexpr uint32_t kTubingObject = 20, kWheelsObject = 21;

// The sample tubing's way from the star end to the at end: each cell (column, row) of the 4 x 4
// board and the sides its pipe must open.
struct TubingWay {
    uint32_t column;
    uint32_t row;
    uint8_t sides;
};
constexpr TubingWay kTubingWay[] = {{0, 1, kTubingLeft | kTubingRight},
                                    {1, 1, kTubingLeft | kTubingBottom},
                                    {1, 2, kTubingTop | kTubingRight},
                                    {2, 2, kTubingLeft | kTubingRight},
                                    {3, 2, kTubingLeft | kTubingRight}};

// A pipe (brass, or the water over it) against the dark ground of a cell; the water alone.
bool IsPipe(int64_t rgb) { return rgb >= 0 && ((rgb >> 16 & 0xFF) > 120 || (rgb & 0xFF) > 150); }
bool IsWater(int64_t rgb) { return rgb >= 0 && (rgb & 0xFF) > 180 && (rgb >> 16 & 0xFF) < 140; }

// The tubing of the sample, as the player sees it: each pipe of the way read by the colour at
// the middle of each edge of its cell, as the letters of its open sides ("LR", "TB" ...).
class TubingPlayer {
public:
    explicit TubingPlayer(LevelWindow& window) : level(window) {}

    // A cell's centre in reference pixels.
    void CellCentre(uint32_t column, uint32_t row, float* pX, float* pY) const
    {
        const SceneRect& board = level.rects.at("pipes");
        *pX = board.x + (float(column) + 0.5f) * board.width / 4.0f;
        *pY = board.y + (float(row) + 0.5f) * board.height / 4.0f;
    }
    // The open sides of every cell of the way, from one capture.
    std::vector<uint8_t> WaySides()
    {
        const float reach = 0.4f * level.rects.at("pipes").width / 4.0f;
        const struct {
            float dx, dy;
            uint8_t side;
        } edges[] = {{-reach, 0.0f, kTubingLeft}, {reach, 0.0f, kTubingRight}, {0.0f, -reach, kTubingTop},
                     {0.0f, reach, kTubingBottom}};
        std::vector<WindowPoint> points;
        for (const TubingWay& cell : kTubingWay) {
            float x, y;
            CellCentre(cell.column, cell.row, &x, &y);
            for (const auto& e : edges)
                points.push_back(level.Window(x + e.dx, y + e.dy));
        }
        const std::vector<int64_t> colours = level.Colours(points);
        std::vector<uint8_t> sides;
        for (size_t c = 0; c < std::size(kTubingWay); ++c) {
            uint8_t open = 0;
            for (size_t e = 0; e < 4; ++e)
                if (IsPipe(colours[4 * c + e]))
                    open |= edges[e].side;
            sides.push_back(open);
        }
        return sides;
    }
    std::string Way()
    {
        std::string text;
        for (uint8_t open : WaySides()) {
            for (const auto& [side, letter] : {std::pair{kTubingLeft, 'L'}, {kTubingTop, 'T'}, {kTubingRight, 'R'},
                                               {kTubingBottom, 'B'}})
                if (open & side)
                    text += letter;
            text += ' ';
        }
        return text;
    }
    // Every pipe of the way shows two open sides: none is turning.
    bool WayShows()
    {
        for (uint8_t open : WaySides()) {
            const uint8_t rest = open & uint8_t(open - 1);
            if (rest == 0 || (rest & uint8_t(rest - 1)) != 0)
                return false;
        }
        return true;
    }
    // Each pipe of the way clicked round to it; the water through to the at end, the banner.
    void TurnToTheWay()
    {
        const std::vector<uint8_t> sides = WaySides();
        for (size_t c = 0; c < std::size(kTubingWay); ++c) {
            const TubingWay& cell = kTubingWay[c];
            int32_t quarters = 0;
            while (quarters < 4 && TubingBoard::TurnSides(sides[c], quarters) != cell.sides)
                ++quarters;
            ASSERT_LT(quarters, 4) << c << ": " << Way();
            float x, y;
            CellCentre(cell.column, cell.row, &x, &y);
            for (int32_t k = 0; k < quarters; ++k) {
                ASSERT_TRUE(level.Click(level.Window(x, y)));
                std::this_thread::sleep_for(std::chrono::milliseconds(250));
            }
        }
        EXPECT_TRUE(WaitUntil([&] { return Way() == "LR LB TR LR LR "; }, 10)) << Way();
        float x, y;
        CellCentre(3, 2, &x, &y);
        ASSERT_TRUE(WaitUntil([&] { return IsWater(level.Colour(level.Window(x, y))); }, 20));
        ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))); }, 10));
    }

private:
    LevelWindow& level;
};

// A corner of the wheels' dial, outside its rings: the dial's own colour once the level shows
// (its centre is the inner ring's, which comes a few frames after the dial).
WindowPoint DialCorner(const LevelWindow& level)
{
    const SceneRect& dial = level.rects.at("dial");
    return level.Window(dial.x + 12.0f, dial.y + 12.0f);
}

class TubingProgram : public CirclesProgram {
protected:
    void Begin()
    {
        BeginUntil({"--level", "tubing", "--chapter", "2", "--frames", "1000000"}, kTubingObject,
                   [&] { return tubing.Way(); }, [&](const std::string&) { return tubing.WayShows(); });
    }

    TubingPlayer tubing{level};
};

// Started at the tubing: the player reads each pipe of the way, clicks it round to the way, sees
// the water reach the at end and the banner, and chapter 2 goes on to the wheels.
TEST_F(TubingProgram, ThePipesAreTurnedToTheWayAndTheWaterRunsThrough)
{
    LinkData();
    Begin();
    if (HasFatalFailure())
        return;
    tubing.TurnToTheWay();
    if (HasFatalFailure())
        return;
    // The wheels' dial once the banner, the transition and the load have passed, which a busy
    // machine takes its time over.
    ASSERT_TRUE(level.Read(kWheelsObject));
    EXPECT_TRUE(WaitUntil([&] { return Near(level.Colour(DialCorner(level)), 0x1A1820); }, 60)) << Stderr();
    Quit();
}

class NoWheelsHost : public WheelsHost {
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
    void PlayBoardSound(bool) override {}
};

// ---- wheels -------------------------------------------------------------------------------------

// The gold of the rings' markers.
bool IsMarker(int64_t rgb)
{
    return rgb >= 0 && (rgb >> 16 & 0xFF) > 200 && (rgb >> 8 & 0xFF) > 190 && (rgb & 0xFF) < 120;
}

class WheelsPlayer {
public:
    explicit WheelsPlayer(LevelWindow& window) : level(window)
    {
        // The sample's rings as its script registers them.
        *board.ItemWord("wheel_game_play") = 0;
        std::string type = "click";
        board.Word("wheel_game_type", type.data());
        for (const char* ring : {"name=outer,percent_external=0.86,percent_internal=0.62,divisions_count=8",
                                 "name=middle,percent_external=0.58,percent_internal=0.34,divisions_count=8",
                                 "name=inner,percent_external=0.3,percent_internal=0.08,divisions_count=12"}) {
            std::string tokens = ring;
            EXPECT_EQ(board.Word("wheel_register_ring", tokens.data()), kStatusDoneStoreResult);
        }
        std::string link = "ring_name_src=middle,ring_name_dst=inner";
        EXPECT_EQ(board.Word("wheel_link_rings", link.data()), kStatusDoneStoreResult);
    }
    // A point of ring r's band, `degrees` clockwise from the top, in reference pixels.
    WindowPoint RingPoint(uint32_t r, float degrees) const
    {
        const SceneRect& dial = level.rects.at("dial");
        const WheelsRing& ring = board.Rings()[r];
        const float radius = (ring.inner + ring.outer) * 0.5f * (dial.width + dial.height) / 4.0f;
        const float a = degrees * 3.14159265f / 180.0f;
        return level.Window(dial.x + dial.width * 0.5f + radius * std::sin(a),
                            dial.y + dial.height * 0.5f - radius * std::cos(a));
    }
    // Each ring's division, from where its marker shows; -1 for a ring whose marker stands
    // between divisions or is not seen.
    std::vector<int32_t> Divisions()
    {
        std::vector<WindowPoint> points;
        for (uint32_t r = 0; r < board.Rings().size(); ++r)
            for (uint32_t d = 0; d < board.Rings()[r].divisions; ++d)
                points.push_back(RingPoint(r, 360.0f * float(d) / float(board.Rings()[r].divisions)));
        const std::vector<int64_t> colours = level.Colours(points);
        std::vector<int32_t> divisions;
        size_t at = 0;
        for (const WheelsRing& ring : board.Rings()) {
            int32_t found = -1;
            for (uint32_t d = 0; d < ring.divisions; ++d, ++at)
                if (IsMarker(colours[at]))
                    found = found < 0 ? int32_t(d) : -2;
            divisions.push_back(found < 0 ? -1 : found);
        }
        return divisions;
    }
    std::string DivisionsText()
    {
        std::string text;
        for (int32_t d : Divisions())
            text += std::to_string(d) + " ";
        return text;
    }
    bool DialShows()
    {
        for (int32_t d : Divisions())
            if (d < 0)
                return false;
        return true;
    }

    // The rings the search gives clicked (the middle one turning the inner one too); every
    // marker at the top, the banner.
    void TurnToTheTop()
    {
        const std::vector<int32_t> seen = Divisions();
        const std::vector<uint32_t> divisions(seen.begin(), seen.end());
        const std::vector<int32_t> clicks = SolveWheels(board.Rings(), divisions);
        ASSERT_FALSE(clicks.empty());
        ASSERT_GE(clicks[0], 0);
        for (int32_t ring : clicks) {
            // The bottom of the ring's band.
            ASSERT_TRUE(level.Click(RingPoint(uint32_t(ring), 180.0f)));
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        EXPECT_TRUE(WaitUntil([&] { return Divisions() == std::vector<int32_t>{0, 0, 0}; }, 10)) << DivisionsText();
        ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))); }, 10));
    }

private:
    LevelWindow& level;
    NoWheelsHost host;
    WheelsBoard board{&host};
};

class WheelsProgram : public CirclesProgram {
protected:
    WheelsPlayer wheels{level};
};

// Started at the wheels: the player finds each ring's marker, clicks the rings the search gives
// (the middle one turning the inner one too) and sees the banner, then the chapter's next level.
TEST_F(WheelsProgram, TheMarkersAreTurnedToTheTop)
{
    LinkData();
    BeginUntil({"--level", "wheels", "--chapter", "2", "--frames", "1000000"}, kWheelsObject,
               [&] { return wheels.DivisionsText(); }, [&](const std::string&) { return wheels.DialShows(); });
    if (HasFatalFailure())
        return;
    wheels.TurnToTheTop();
    if (HasFatalFailure())
        return;
    // The wheel stack's left post.
    ASSERT_TRUE(level.Read(kWheelStackObject));
    EXPECT_TRUE(WaitUntil([&] { return Near(level.Colour(level.Centre("post_left")), 0x806040); }, 20)) << Stderr();
    Quit();
}

// A game closed after a turn of the wheels is continued with its rings drawn on the dial, each
// where it stood, and is then played to the banner.
TEST_F(WheelsProgram, AClosedGameContinuesWithItsRingsWhereTheyStood)
{
    LinkData();
    BeginUntil({"--level", "wheels", "--chapter", "2", "--frames", "1000000"}, kWheelsObject,
               [&] { return wheels.DivisionsText(); }, [&](const std::string&) { return wheels.DialShows(); });
    if (HasFatalFailure())
        return;
    const std::string dealt = wheels.DivisionsText();
    ASSERT_TRUE(level.Click(wheels.RingPoint(0, 180.0f)));
    ASSERT_TRUE(WaitUntil([&] { return wheels.DialShows() && wheels.DivisionsText() != dealt; }, 10))
        << wheels.DivisionsText();
    const std::string turned = wheels.DivisionsText();
    Quit();
    BeginUntil({"--frames", "1000000"}, kWheelsObject, [&] { return wheels.DivisionsText(); },
               [&](const std::string& shown) { return shown == turned; });
    if (HasFatalFailure())
        return;
    wheels.TurnToTheTop();
    Quit();
}

}  // namespace

namespace {

// The centre of the pixels of one colour (within a few steps) in a band of the window; (-1, -1)
// when fewer than 20 show it.
WindowPoint ColourCentre(const std::string& id, uint32_t rgb, int top, int bottom)
{
    const RootPicture picture = ReadWindowPicture(id);
    long sx = 0, sy = 0, n = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, picture.height); ++y)
        for (int x = 0; x < picture.width; ++x)
            if (Near(picture.At(x, y), rgb, 6)) {
                sx += x;
                sy += y;
                ++n;
            }
    return n < 20 ? WindowPoint{-1, -1} : WindowPoint{int(sx / n), int(sy / n)};
}

}  // namespace

// A new player starts on the title: play, a name and Return lead to the hall; the profile and
// the options keep the name and the slot. The next time play lists the profile with its clock;
// its rename mark renames it, its delete mark and yes empty its slot and its file; exit, no
// shows the main page again, and exit, yes ends the program without error.
TEST_F(HallProgram, ANewPlayersProfileIsMadeRenamedAndDeletedOnTheTitle)
{
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    Quit();
    const std::string folder = root + "/user/Nimbrel " NIMBREL_APP_NAME "/";
    const std::string profile = folder + NIMBREL_APP_NAME ".v3.profile_full_0.sav";
    EXPECT_NE(ProfileDump(profile).find("Player"), std::string::npos) << ProfileDump(profile);
    EXPECT_NE(ReadFile(folder + NIMBREL_APP_NAME ".v3.options.sav").find("PROFILE_INDEX = 0"), std::string::npos);

    pid = Start(program, {"--frames", "1000000"});
    const std::string id = MainWindow(pid);
    ASSERT_NE(id, "") << Stderr();
    ASSERT_TRUE(hall.Open(id));
    ASSERT_TRUE(WaitUntil([&] { return hall.TitleShows(); }, 120)) << Stderr();
    ASSERT_TRUE(ClickUntil(hall.TitleCentre("text_play"), [&] { return hall.MenuFrameShows(); }));
    // The list shows the name and its clock below it: light letters over two lines of row 0.
    const WindowPoint row = hall.ProfileRow(0);
    const WindowPoint next = hall.ProfileRow(1);
    const int rowHeight = next.y - row.y;
    const auto lightPixels = [&](int top, int bottom) {
        const RootPicture picture = ReadWindowPicture(id);
        int n = 0;
        for (int y = std::max(top, 0); y < std::min(bottom, picture.height); ++y)
            for (int x = 0; x < picture.width; ++x)
                n += (picture.At(x, y) & 0xC0C0C0u) == 0xC0C0C0u;
        return n;
    };
    EXPECT_GT(lightPixels(row.y - rowHeight / 2, row.y), 20);
    // The marks of a used slot: the rename mark (blue) and the delete mark (red).
    const auto markShows = [&](uint32_t rgb) {
        return ColourCentre(id, rgb, row.y - rowHeight / 2, row.y + rowHeight / 2).x >= 0;
    };
    // A mark's click is taken once the list has gone (for the name entry or the question): the
    // next row's selector no longer shows. The mark itself cannot tell: the game's cursor, over it
    // after the click, hides most of it, and the name would be typed into the list.
    const auto listShows = [&] {
        const MenuEntry e = hall.MenuPage({{53, 0}, {54, 0}, {55, 0}}, 4.0f).at(1);
        const float s = 0.5f * hall.MenuTextHeight() * e.scale;
        const int x0 = int(std::lround(e.x - e.widestText * e.scale * 0.5f - 2.5f * s));
        const int y0 = int(std::lround(e.y));
        const RootPicture picture = ReadWindowPicture(id);
        int brass = 0;
        for (int y = std::max(y0, 0); y < std::min(y0 + int(2.0f * s), picture.height); ++y)
            for (int x = std::max(x0, 0); x < std::min(x0 + int(2.0f * s), picture.width); ++x)
                brass += Near(picture.At(x, y), 0xd8b45a, 24);
        return brass > 10;
    };
    ASSERT_TRUE(WaitUntil(listShows));
    const WindowPoint rename = ColourCentre(id, 0x2a5a8a, row.y - rowHeight / 2, row.y + rowHeight / 2);
    ASSERT_GE(rename.x, 0);
    ASSERT_TRUE(ClickUntil(rename, [&] { return !listShows(); }));
    ASSERT_EQ(std::system(("xdotool windowfocus --sync " + id + " type --delay 120 Second").c_str()), 0);
    ASSERT_TRUE(hall.Key("Return"));
    // A slot with its game under way goes back to the list, renamed in its file at once.
    EXPECT_TRUE(WaitUntil([&] { return ProfileDump(profile).find("Second") != std::string::npos; }, 20))
        << ProfileDump(profile);
    ASSERT_TRUE(WaitUntil(listShows));
    const WindowPoint remove = ColourCentre(id, 0x8a2a2a, row.y - rowHeight / 2, row.y + rowHeight / 2);
    ASSERT_GE(remove.x, 0);
    ASSERT_TRUE(ClickUntil(remove, [&] { return !listShows(); }));
    // The question, then yes (the left button) and no (the right one) below it.
    ASSERT_TRUE(ClickUntil(hall.Answer(true), [&] { return std::filesystem::file_size(profile) == 0; }));
    EXPECT_TRUE(WaitUntil([&] { return !markShows(0x8a2a2a); }));
    // Back to the main page by the frame's close button; exit, no; exit, yes.
    ASSERT_TRUE(ClickUntil(hall.PopupCentre("close"), [&] { return hall.TitleShows(); }));
    ASSERT_TRUE(ClickUntil(hall.TitleCentre("text_exit"), [&] { return hall.MenuFrameShows(); }));
    ASSERT_TRUE(ClickUntil(hall.Answer(false), [&] { return hall.TitleShows(); }));
    ASSERT_TRUE(ClickUntil(hall.TitleCentre("text_exit"), [&] { return hall.MenuFrameShows(); }));
    hall.Click(hall.Answer(true));
    EXPECT_EQ(Wait(pid), 0) << Stderr();
}

// A profile file cut short or filled with noise never stops the start.
TEST_F(HallProgram, ACutOrScrambledProfileNeverBreaksTheStart)
{
    const std::string file = root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav";
    // The first run starts a new player's game, saved when it ends.
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    Quit();
    const std::string whole = ReadFile(file);
    ASSERT_GT(whole.size(), 100u) << "the first run saves its profile";

    std::string scrambled(whole.size(), '\0');
    uint32_t x = 12345;
    for (char& c : scrambled) {
        x = x * 214013u + 2531011u;
        c = static_cast<char>(x >> 16);
    }
    const std::pair<const char*, std::string> cases[] = {
        {"cut to half", whole.substr(0, whole.size() / 2)},
        {"random bytes", scrambled},
        {"random after the header chunk", whole.substr(0, 42) + scrambled.substr(42)},
    };
    const std::string dump = "\"" + kBin + "/vornel\" profile dump \"" + file + "\" >/dev/null 2>&1";
    for (const auto& [what, bytes] : cases) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        EXPECT_EQ(Run("nimbrel_test_nosplash", {"--frames", "30"}), 0) << what << "\n" << Stderr();
        EXPECT_EQ(Stderr().find("Sanitizer"), std::string::npos) << what << "\n" << Stderr();
        // Left as it was, or replaced whole by the new game the slot was offered for.
        const std::string after = ReadFile(file);
        if (after != bytes) {
            EXPECT_EQ(std::system(dump.c_str()), 0) << what << ": the file was replaced by one that cannot be read";
        }
    }
}

// ---- the study's inventory bar -------------------------------------------------------------------

namespace {

// Presses at `from`, moves to `to` in steps as a hand does, and lets go there; the pointer then
// goes to the window's corner, where the game's cursor covers nothing read.
bool Drag(const std::string& id, WindowPoint from, WindowPoint to)
{
    std::string command = "xdotool mousemove --window " + id + " " + std::to_string(from.x) + " " +
                          std::to_string(from.y) + " sleep 0.1 mousedown 1 sleep 0.1";
    for (int i = 1; i <= 8; ++i)
        command += " mousemove --window " + id + " " + std::to_string(from.x + (to.x - from.x) * i / 8) + " " +
                   std::to_string(from.y + (to.y - from.y) * i / 8) + " sleep 0.05";
    command += " mouseup 1 sleep 0.1 mousemove --window " + id + " 1 1";
    return std::system(command.c_str()) == 0;
}

}  // namespace

// The study's bar, played with drags of the pointer: once the drawer's note is read the key and
// three coins ("3 x") come into the bar. The key let go beside the drawer glides home and the
// narrator says it does not fit; let go on the drawer it leaves the bar and the drawer slides
// open. The money box takes the three coins (the count goes down with each, and the last leaves
// the place empty). The open drawer shows the door to the clock room.
TEST_F(HallProgram, TheStudysBarTakesTheKeyToTheDrawerAndTheCoinsToTheMoneyBox)
{
    StartNewPlayer(true);
    if (HasFatalFailure())
        return;
    Find("key");
    ASSERT_TRUE(hall.Key("F4"));
    ASSERT_TRUE(hall.Key("Escape"));
    ASSERT_TRUE(WaitUntil([&] { return hall.Shown("well_done"); }));
    ASSERT_TRUE(ClickUntil(hall.Centre("well_done"), [&] { return hall.Gone("well_done"); }));
    const WindowPoint parchment = hall.Window(240.0f, 200.0f);
    const auto onParchment = [&] { return Near(hall.Colour(parchment), 0xEADFC4, 12); };
    ASSERT_TRUE(ClickUntil(hall.Centre("door"), onParchment)) << Stderr();
    ASSERT_TRUE(hall.Key("Escape"));
    ASSERT_TRUE(WaitUntil([&] { return !onParchment(); }));
    const WindowPoint page = hall.Window(300.0f, 170.0f), frame = hall.Window(280.0f, 560.0f);
    const auto notebook = [&] { return Near(hall.Colour(page), 0xF3EAD2, 12); };
    const auto note = [&] { return Near(hall.Colour(frame), 0x1C2440, 24); };
    ASSERT_TRUE(ClickUntil(hall.Window(200.0f, 420.0f), notebook)) << std::hex << hall.Colour(page);
    ASSERT_TRUE(hall.Key("Escape"));
    ASSERT_TRUE(WaitUntil(note)) << std::hex << hall.Colour(frame);
    ASSERT_TRUE(hall.Key("Escape"));
    ASSERT_TRUE(WaitUntil([&] { return !note(); }));

    // The bar's band along the bottom; the key and the coins fade into their places.
    const std::string id = hall.id;
    const int bandTop = hall.Window(0.0f, 684.0f).y, bandBottom = hall.Window(0.0f, 756.0f).y;
    const uint32_t kKey = 0xE0C040, kCoin = 0x40A0E0, kBand = 0x20182A, kDrawer = 0x7A5230;
    WindowPoint key{-1, -1}, coin{-1, -1};
    ASSERT_TRUE(WaitUntil([&] {
        key = ColourCentre(id, kKey, bandTop, bandBottom);
        coin = ColourCentre(id, kCoin, bandTop, bandBottom);
        return key.x >= 0 && coin.x >= 0 && Near(hall.Colour(key), kKey, 2) && Near(hall.Colour(coin), kCoin, 2);
    }));
    EXPECT_LT(key.x, coin.x);
    // The count at the foot of the coins' place: its light letters, left of the coin (the key's
    // yellow is not light enough to count).
    const auto count = [&] {
        const RootPicture picture = ReadWindowPicture(id);
        std::vector<int> letters;
        for (int y = std::max(coin.y - 40, 0); y < std::min(bandBottom, picture.height); ++y)
            for (int x = std::max(key.x + 20, 0); x < std::min(coin.x - 16, picture.width); ++x)
                if (const uint32_t c = picture.At(x, y); (c >> 16 & 0xFF) > 0x80 && (c >> 8 & 0xFF) > 0x80 &&
                                                        (c & 0xFF) > 0x60)
                    letters.push_back(y * 4096 + x);
        return letters;
    };
    const std::vector<int> three = count();
    EXPECT_GT(three.size(), 20u);

    // The narrator's band shows at the top of the room while a line is said.
    const WindowPoint band = hall.Window(100.0f, 48.0f);
    const auto narrated = [&] {
        const int64_t c = hall.Colour(band);
        return c >= 0 && (c >> 16 & 0xFF) < 0x50 && (c & 0xFF) >= (c >> 16 & 0xFF);
    };
    // The study's own line may still be said when the bar is ready.
    ASSERT_TRUE(WaitUntil([&] { return !narrated(); }, 20));

    // Let go above the drawer: the key glides home and the narrator says it does not fit.
    const WindowPoint drawer = hall.Window(512.0f, 568.0f), below = hall.Window(512.0f, 640.0f);
    const int64_t belowBefore = hall.Colour(below);
    ASSERT_TRUE(Drag(id, key, hall.Window(512.0f, 400.0f)));
    EXPECT_TRUE(WaitUntil(narrated));
    EXPECT_TRUE(WaitUntil([&] { return Near(hall.Colour(key), kKey, 2); }));
    ASSERT_TRUE(WaitUntil([&] { return !narrated(); }, 20));

    // On the drawer: the key's place empties and the drawer slides down, open.
    ASSERT_TRUE(Drag(id, key, drawer));
    EXPECT_TRUE(WaitUntil([&] { return Near(hall.Colour(key), kBand, 6); })) << std::hex << hall.Colour(key);
    EXPECT_TRUE(WaitUntil([&] { return Near(hall.Colour(below), kDrawer, 6); })) << std::hex << hall.Colour(below);
    EXPECT_FALSE(Near(belowBefore, kDrawer, 6));
    EXPECT_FALSE(narrated());

    // The money box: each coin goes in and takes one off the count (no word from the narrator);
    // the third leaves the coins' place empty.
    const WindowPoint box = hall.Window(748.0f, 572.0f);
    ASSERT_TRUE(Drag(id, coin, box));
    std::vector<int> two;
    EXPECT_TRUE(WaitUntil([&] { return Near(hall.Colour(coin), kCoin, 2) && (two = count()) != three && two.size() > 20; }));
    EXPECT_FALSE(narrated());
    ASSERT_TRUE(Drag(id, coin, box));
    EXPECT_TRUE(WaitUntil([&] { return Near(hall.Colour(coin), kCoin, 2) && count().empty(); }));
    EXPECT_FALSE(narrated());
    ASSERT_TRUE(Drag(id, coin, box));
    EXPECT_TRUE(WaitUntil([&] { return Near(hall.Colour(coin), kBand, 6); })) << std::hex << hall.Colour(coin);
    EXPECT_FALSE(narrated());

    // The open drawer showed the door in the right wall: it leads to the clock room, whose
    // hook shows on its wall.
    const WindowPoint door = hall.Window(965.0f, 360.0f), hook = hall.Window(680.0f, 180.0f);
    ASSERT_TRUE(WaitUntil([&] { return Near(hall.Colour(door), 0x3A2A1C, 6); })) << std::hex << hall.Colour(door);
    ASSERT_TRUE(ClickUntil(door, [&] { return Near(hall.Colour(hook), 0x202020, 4); })) << std::hex << hall.Colour(hook);
    Quit();
    // The bar's script waited on the key's drop and went on: no command waits on a drop.
    const std::string dump =
        ProfileDump(root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav");
    EXPECT_NE(dump.find("waiting commands 0"), std::string::npos) << dump;
}

// A new player's tutorial in the hall: the welcome step fades in after its delay and a click
// inside its frame closes it; the arrow step points at the key and goes when the key is found,
// which resumes the hall's waiting _pushTuto and queues the skippable step; its skip text, then
// "yes", skips the whole tutorial and switches it off in the profile, so that the next run of
// that profile shows no step.
TEST_F(HallProgram, TheTutorialGuidesANewPlayerUntilItIsSkipped)
{
    answerTutorial = false;
    StartNewPlayer();
    if (HasFatalFailure())
        return;
    EXPECT_FALSE(tutorialAtFirstSight) << "the welcome step waits its delay";
    ASSERT_TRUE(WaitUntil([this] { return TutorialShows(); }, 10));
    const auto white = [](uint32_t c) { return (c & 0xC0C0C0u) == 0xC0C0C0u; };
    EXPECT_GT(hall.CountPixels(232.0f, 566.0f, 468.0f, 680.0f, white), 30) << "the welcome text";
    ASSERT_TRUE(ClickUntil(hall.Window(350.0f, 640.0f), [this] { return !TutorialShows(); }));

    // The arrow step, at the frame's low place, points at the key from its left.
    const auto cyan = [](uint32_t c) { return (c >> 16 & 0xFF) < 120 && (c >> 8 & 0xFF) > 180 && (c & 0xFF) > 200; };
    ASSERT_TRUE(WaitUntil([&] { return hall.CountPixels(540.0f, 560.0f, 640.0f, 660.0f, cyan) > 100; }, 10));
    EXPECT_TRUE(TutorialShows());
    Find("key");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return hall.CountPixels(540.0f, 560.0f, 640.0f, 660.0f, cyan) == 0; }, 10));

    // The step queued after the waiting call shows its skip text in the frame's bottom band.
    ASSERT_TRUE(WaitUntil([&] { return TutorialShows() && hall.CountPixels(232.0f, 684.0f, 468.0f, 708.0f, white) > 20; },
                          10));
    ASSERT_TRUE(ClickUntil(hall.Window(350.0f, 696.0f), [this] { return !CloseShows(); }));
    ASSERT_TRUE(ClickUntil(hall.Window(264.0f, 672.0f), [this] { return !TutorialShows(); }));
    // The other items still wait for their clicks.
    Find("candle");
    if (HasFatalFailure())
        return;
    Quit();
    const std::string file = root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav";
    const std::string dump = ProfileDump(file);
    EXPECT_NE(dump.find("flags 0x1\n"), std::string::npos) << dump;

    Continue();
    if (HasFatalFailure())
        return;
    EXPECT_FALSE(LookFor([this] { return TutorialShows(); }, 3)) << "no step for a player who skipped it";
    Quit();
}

// In the study, whose items are not hintable, the hint button shows the popup bound to it by
// the study's script.
TEST_F(HallProgram, TheHintButtonInTheStudyShowsItsBoundPopup)
{
    StartNewPlayer(true);
    if (HasFatalFailure())
        return;
    Find("key");
    ASSERT_TRUE(hall.Key("F4"));
    ASSERT_TRUE(hall.Key("Escape"));
    ASSERT_TRUE(WaitUntil([&] { return hall.Shown("well_done"); }));
    ASSERT_TRUE(ClickUntil(hall.Centre("well_done"), [&] { return hall.Gone("well_done"); }));
    const WindowPoint parchment = hall.Window(240.0f, 200.0f);
    const auto onParchment = [&] { return Near(hall.Colour(parchment), 0xEADFC4, 12); };
    // The study opens with its portraits' text; Escape closes it.
    ASSERT_TRUE(ClickUntil(hall.Centre("door"), onParchment)) << Stderr();
    ASSERT_TRUE(hall.Key("Escape"));
    ASSERT_TRUE(WaitUntil([&] { return !onParchment(); }));
    // The hint's lamp (hint.scene), at the same place as in the hall.
    const auto letters = [&] {
        return hall.CountPixels(300.0f, 300.0f, 724.0f, 452.0f,
                                [](uint32_t c) { return (c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF) < 300; });
    };
    ASSERT_TRUE(ClickUntil(hall.Window(56.0f, 128.0f), onParchment)) << Stderr();
    EXPECT_TRUE(WaitUntil([&] { return letters() > 200; })) << letters();
    ASSERT_TRUE(hall.Key("Escape"));
    EXPECT_TRUE(WaitUntil([&] { return !onParchment(); }));
    Quit();
}

// ---- the puzzle ----------------------------------------------------------------------------------

namespace {

constexpr uint32_t kPuzzleObject = 24;

// The puzzle of the sample, as the player sees it: each piece found on the screen by its flat
// colour (the box of its pixels), its quarter turns by the corner where its white mark shows.
class PuzzlePlayer {
public:
    explicit PuzzlePlayer(LevelWindow& window) : level(window) {}

    struct Seen {
        int count = 0, left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
        WindowPoint Centre() const { return {(left + right) / 2, (top + bottom) / 2}; }
    };
    static constexpr int kPieces = 6;

    std::vector<Seen> Look(RootPicture* pPicture = nullptr) const
    {
        static const int64_t colours[kPieces] = {0xD03030, 0xE0A020, 0x30A040, 0x3060D0, 0x9040C0, 0x20B0B0};
        RootPicture picture = ReadWindowPicture(level.id);
        std::vector<Seen> seen(kPieces);
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                for (int k = 0; k < kPieces; ++k)
                    if (Near(picture.At(x, y), colours[k], 12)) {
                        Seen& s = seen[size_t(k)];
                        ++s.count;
                        s.left = std::min(s.left, x);
                        s.top = std::min(s.top, y);
                        s.right = std::max(s.right, x);
                        s.bottom = std::max(s.bottom, y);
                        break;
                    }
        if (pPicture)
            *pPicture = std::move(picture);
        return seen;
    }
    // Nearly the pixels of a whole piece, 100 x 100 less its mark of 20 x 20 (and the mark's
    // blended edge), in the window's scale.
    int Whole() const
    {
        const WindowPoint a = level.Window(0.0f, 0.0f), b = level.Window(100.0f, 100.0f);
        return (b.x - a.x) * (b.y - a.y) * 94 / 100;
    }
    // Upright the mark shows in the upper left corner; each quarter turn carries it on to the
    // next corner, upper right, lower right, lower left. -1 when no corner shows it.
    int Turn(const Seen& s, const RootPicture& picture) const
    {
        const WindowPoint c = s.Centre(), a = level.Window(0.0f, 0.0f), b = level.Window(32.0f, 32.0f);
        const int dx = b.x - a.x, dy = b.y - a.y;
        const WindowPoint corners[4] = {{c.x - dx, c.y - dy}, {c.x + dx, c.y - dy}, {c.x + dx, c.y + dy}, {c.x - dx, c.y + dy}};
        for (int t = 0; t < 4; ++t) {
            const WindowPoint p = corners[t];
            if (p.x >= 0 && p.y >= 0 && p.x < picture.width && p.y < picture.height &&
                Near(picture.At(p.x, p.y), 0xFFFFFF, 12))
                return t;
        }
        return -1;
    }
    // Whether the piece lies square, as it does between turns: a turning piece's box is wider.
    bool Square(const Seen& s) const
    {
        const WindowPoint a = level.Window(0.0f, 0.0f), b = level.Window(100.0f, 100.0f);
        return std::abs(s.right - s.left + 1 - (b.x - a.x)) <= 3 && std::abs(s.bottom - s.top + 1 - (b.y - a.y)) <= 3;
    }
    static std::string Name(int k) { return "piece_0" + std::to_string(k + 1); }
    // What the screen shows of each piece: its pixels, its box and its turn.
    std::string Describe(const std::vector<Seen>& seen, const RootPicture& picture) const
    {
        std::string text;
        for (const Seen& s : seen)
            text += std::to_string(s.count) + " [" + std::to_string(s.left) + "," + std::to_string(s.top) + " " +
                    std::to_string(s.right) + "," + std::to_string(s.bottom) + "]^" + std::to_string(Turn(s, picture)) +
                    "; ";
        return text + "whole " + std::to_string(Whole());
    }
    // Which pieces show on the screen, "+" or "-" each.
    std::string Shown() const
    {
        std::string shown;
        for (const Seen& s : Look())
            shown += s.count > 0 ? '+' : '-';
        return shown;
    }
    // Each piece in turn, the one that nothing covers, found by its colour, turned upright by
    // short presses and dragged home, where it locks; the finished picture and the banner.
    void PlaceEveryPiece()
    {
        const int whole = Whole();
        std::vector<bool> home(kPieces, false);
        for (int placed = 0; placed < kPieces; ++placed) {
            // The piece that shows whole among those not yet home lies on top of the others.
            int k = -1;
            RootPicture picture;
            ASSERT_TRUE(WaitUntil([&] {
                const std::vector<Seen> seen = Look(&picture);
                k = -1;
                for (int i = 0; i < kPieces; ++i)
                    if (!home[size_t(i)] && seen[size_t(i)].count >= whole &&
                        (k < 0 || seen[size_t(i)].count > seen[size_t(k)].count))
                        k = i;
                return k >= 0 && Turn(seen[size_t(k)], picture) >= 0;
            })) << Describe(Look(&picture), picture);
            SCOPED_TRACE(Name(k));
            Seen seen = Look(&picture)[size_t(k)];
            // Short presses turn it a quarter each, until its mark shows upper left. The piece is
            // read, and pressed where it lies, only once it has lain square and still for half a
            // second: no press goes past upright, and none lands where a slow slide left it
            // before, on another piece.
            const auto turnUpright = [&] {
                for (int presses = 0; presses <= 8; ++presses) {
                    SteadyLook<std::array<int, 3>> steady;
                    if (!WaitUntil([&] {
                            seen = Look(&picture)[size_t(k)];
                            const WindowPoint c = seen.Centre();
                            return steady({Square(seen) ? Turn(seen, picture) : -1, c.x, c.y}) && steady.Last()[0] >= 0;
                        }, 20))
                        return false;
                    const int now = steady.Last()[0];
                    if (now == 0)
                        return true;
                    if (presses == 8)
                        return false;
                    level.Click(seen.Centre());
                    LookFor([&] { return Turn(Look(&picture)[size_t(k)], picture) != now; }, 3);
                }
                return false;
            };
            const WindowPoint target = level.Centre(Name(k));
            const auto atHome = [&] {
                const WindowPoint c = Look()[size_t(k)].Centre();
                return std::abs(c.x - target.x) <= 1 && std::abs(c.y - target.y) <= 1;
            };
            // A drag whose motion a busy machine delivered too late leaves the piece short of
            // home, or takes it home only later, and a press seen late may have turned it on: it
            // is turned upright again and dragged from where it comes to rest.
            bool there = atHome();
            for (int drags = 0; drags < 3 && !there; ++drags) {
                const bool upright = turnUpright();
                there = atHome();
                if (there)
                    break;
                ASSERT_TRUE(upright) << Describe(Look(&picture), picture);
                ASSERT_TRUE(Drag(level.id, seen.Centre(), target));
                there = drags < 2 ? LookFor(atHome, 5) : WaitUntil(atHome, 15);
            }
            EXPECT_TRUE(there) << Look()[size_t(k)].Centre().x << "," << Look()[size_t(k)].Centre().y;
            home[size_t(k)] = true;
        }
        // The finished picture has no marks: its first piece's corner shows the piece's colour.
        const SceneRect& first = level.rects.at(Name(0));
        const WindowPoint mark = level.Window(first.x + 18.0f, first.y + 18.0f);
        EXPECT_TRUE(WaitUntil([&] { return Near(level.Colour(mark), 0xD03030, 12); })) << std::hex << level.Colour(mark);
        // The banner stays a moment before the labyrinth follows: on a slow machine, whose looks
        // at the last piece may outlast it, the labyrinth's floor is seen instead, which comes
        // only after it.
        ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))) || LabyrinthShows(); }, 10));
    }
    bool LabyrinthShows() const { return Near(level.Colour(level.Window(980.0f, 40.0f)), 0x1E3440); }

private:
    LevelWindow& level;
};

class PuzzleProgram : public CirclesProgram {
protected:
    PuzzlePlayer puzzle{level};
};

}  // namespace

// Started at the puzzle: each piece in turn, the one that nothing covers, is found by its
// colour, turned upright by short presses and dragged home, where it locks; then the finished
// picture (without the pieces' marks), the banner, and the labyrinth.
TEST_F(PuzzleProgram, EachPieceIsTurnedUprightAndDraggedHome)
{
    LinkData();
    BeginUntil({"--level", "puzzle", "--chapter", "2", "--frames", "1000000"}, kPuzzleObject,
               [&] { return puzzle.Shown(); }, [](const std::string& shown) { return shown == "++++++"; });
    if (HasFatalFailure())
        return;
    puzzle.PlaceEveryPiece();
    if (HasFatalFailure())
        return;
    // Then the labyrinth's floor.
    EXPECT_TRUE(WaitUntil([&] { return puzzle.LabyrinthShows(); }, 20)) << Stderr();
    Quit();
}

// ---- the clock room ------------------------------------------------------------------------------

namespace {

// The sample's clock room.
constexpr uint32_t kClockRoomObject = 22;

// The clock room from its start on the title's road: its elements from its element infos.
class ClockRoomProgram : public CirclesProgram {
protected:
    void Begin()
    {
        LinkData();
        BeginUntil({"--level", "clock_room", "--chapter", "1", "--frames", "1000000"}, kClockRoomObject,
                   [&] { return std::to_string(level.Colour(level.Centre("hook"))); },
                   [](const std::string& hook) { return Near(std::stoll(hook), 0x202020, 4); });
    }
    bool Shows(WindowPoint p, uint32_t rgb) const { return Near(level.Colour(p), rgb, 6); }
    // The pointer pressed at `from`; moved to each point of `path` in `steps` moves; let go.
    bool Press(WindowPoint from) const
    {
        return std::system(("xdotool mousemove --window " + level.id + " " + std::to_string(from.x) + " " +
                            std::to_string(from.y) + " sleep 0.1 mousedown 1 sleep 0.1")
                               .c_str()) == 0;
    }
    bool Move(WindowPoint from, const std::vector<WindowPoint>& path, int steps = 6) const
    {
        std::string command = "xdotool";
        for (const WindowPoint& to : path) {
            for (int i = 1; i <= steps; ++i)
                command += " mousemove --window " + level.id + " " + std::to_string(from.x + (to.x - from.x) * i / steps) +
                           " " + std::to_string(from.y + (to.y - from.y) * i / steps) + " sleep 0.04";
            from = to;
        }
        return std::system(command.c_str()) == 0;
    }
    bool Release() const
    {
        return std::system(("xdotool sleep 0.1 mouseup 1 sleep 0.1 mousemove --window " + level.id + " 1 1").c_str()) ==
               0;
    }
    bool Drag(WindowPoint from, const std::vector<WindowPoint>& path) const
    {
        return Press(from) && Move(from, path) && Release();
    }
};

}  // namespace

// The pendulum swings; the dial turned round and let go slides the case's door aside, showing
// the weight; the weight let go beside the hook glides back, on the hook it hangs there. The
// drawer follows the pointer along its rail while it is held, not past the rail's end, and is
// back in its place when let go. The stairs then lead on to chapter 2.
TEST_F(ClockRoomProgram, TheTurnedDialOpensTheCaseAndTheWeightHangsOnItsHook)
{
    Begin();
    if (HasFatalFailure())
        return;
    const uint32_t kDoor = 0x7A5030, kWeight = 0xB8C0C8, kCase = 0x4A2E18, kWall = 0x2A3442, kDrawer = 0x8A6A40,
                   kRail = 0x1A1A1A, kPendulum = 0xD8B45A, kStairs = 0x6A5A48;
    // The pendulum swings out to either side of its rest.
    EXPECT_TRUE(WaitUntil([&] { return Shows(level.Window(200.0f, 430.0f), kPendulum); }));
    EXPECT_TRUE(WaitUntil([&] { return Shows(level.Window(260.0f, 430.0f), kPendulum); }));

    // The dial turned a half round about its centre and let go: the door slides aside.
    const WindowPoint weight = level.Centre("weight");
    ASSERT_TRUE(Shows(weight, kDoor));
    const auto around = [&](float degrees) {
        const float a = degrees * 3.14159265f / 180.0f;
        return level.Window(230.0f + 45.0f * std::cos(a), 210.0f + 45.0f * std::sin(a));
    };
    ASSERT_TRUE(Drag(around(0.0f), {around(45.0f), around(90.0f), around(135.0f), around(180.0f)}));
    ASSERT_TRUE(WaitUntil([&] { return Shows(weight, kWeight); })) << std::hex << level.Colour(weight);
    EXPECT_TRUE(WaitUntil([&] { return Shows(level.Window(480.0f, 560.0f), kDoor); }));

    // Beside the hook the weight glides back; on it, it hangs there and leaves the case.
    const WindowPoint hook = level.Centre("hook"), hung = level.Centre("weight_hung");
    const WindowPoint beside = level.Window(520.0f, 300.0f);
    ASSERT_TRUE(Drag(weight, {beside}));
    EXPECT_TRUE(WaitUntil([&] { return Shows(weight, kWeight) && Shows(beside, kWall); }));
    EXPECT_FALSE(Shows(hung, kWeight));
    ASSERT_TRUE(Drag(weight, {hook}));
    EXPECT_TRUE(WaitUntil([&] { return Shows(hung, kWeight); })) << std::hex << level.Colour(hung);
    EXPECT_TRUE(WaitUntil([&] { return Shows(weight, kCase); })) << std::hex << level.Colour(weight);

    // The drawer held and moved along its rail follows the pointer; a move that leaves the rail
    // is not followed; let go, it is back in its place. (Read beside the pointer, where the
    // game's cursor does not cover it.)
    const WindowPoint drawer = level.Centre("drawer"), along = level.Window(800.0f, 630.0f);
    const WindowPoint beforeAlong = level.Window(765.0f, 612.0f), home = level.Window(615.0f, 612.0f);
    ASSERT_TRUE(Press(drawer) && Move(drawer, {along}));
    EXPECT_TRUE(WaitUntil([&] { return Shows(beforeAlong, kDrawer) && Shows(home, kRail); }))
        << std::hex << level.Colour(beforeAlong) << " " << level.Colour(home);
    ASSERT_TRUE(Move(along, {level.Window(1012.0f, 630.0f)}, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(Shows(beforeAlong, kDrawer));
    ASSERT_TRUE(Release());
    EXPECT_TRUE(WaitUntil([&] { return Shows(home, kDrawer) && Shows(beforeAlong, kRail); }));

    // The hung weight has shown the stairs down; a click on them opens chapter 2's title card
    // over the whole room, as a player goes on from the manor to the puzzles.
    // (Beside the levels' menu button, which holds the very corner.)
    const WindowPoint stairs = level.Centre("stairs"), corner = level.Window(120.0f, 40.0f);
    ASSERT_TRUE(Shows(stairs, kStairs)) << std::hex << level.Colour(stairs);
    ASSERT_TRUE(level.Click(stairs));
    EXPECT_TRUE(WaitUntil([&] { return !Shows(corner, kWall) && !Shows(stairs, kStairs); }, 20)) << Stderr();
    // The card's night-blue ground, and the chapter's name in light letters on its plate once
    // the card has faded in.
    EXPECT_TRUE(WaitUntil([&] { return Near(level.Colour(corner), 0x121A2A, 20); }, 20)) << std::hex << level.Colour(corner);
    const WindowPoint plateFrom = level.Window(262.0f, 300.0f), plateTo = level.Window(762.0f, 460.0f);
    int letters = 0;
    EXPECT_TRUE(WaitUntil([&] {
        const RootPicture card = ReadWindowPicture(level.id);
        letters = 0;
        for (int y = plateFrom.y; y < std::min(plateTo.y, card.height); ++y)
            for (int x = plateFrom.x; x < std::min(plateTo.x, card.width); ++x)
                letters += (card.At(x, y) >> 16 & 0xFF) > 0xC0 ? 1 : 0;
        return letters > 400;
    }, 5)) << letters;
    EXPECT_LT(letters, (plateTo.x - plateFrom.x) * (plateTo.y - plateFrom.y) / 3);
    Quit();
}

namespace {

// How far the frame's texts moved up between two captures: the shift of the second's rows that
// best matches the first's (light pixels a row), up to `most` pixels.
int UpwardShift(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after, int width, int most)
{
    const int rows = width > 0 ? int(before.size()) / width : 0;
    std::vector<int> a(size_t(rows), 0), b(size_t(rows), 0);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < width; ++x) {
            a[size_t(y)] += before[size_t(y * width + x)];
            b[size_t(y)] += after[size_t(y * width + x)];
        }
    int best = -1;
    double bestScore = -1.0;
    for (int d = 0; d <= most && d < rows; ++d) {
        double score = 0.0;
        for (int y = 0; y + d < rows; ++y)
            score += double(b[size_t(y)]) * a[size_t(y + d)];
        if (score > bestScore) {
            bestScore = score;
            best = d;
        }
    }
    return best;
}

// The onsets of the default click (its 700 to 1400 Hz sweep) in what OpenAL wrote, in frames.
std::vector<size_t> DefaultClicks(const std::vector<float>& played)
{
    std::vector<size_t> onsets;
    for (int64_t at = FirstInBand(played, 0, 700.0, 1400.0, 25.0, 0.1); at >= 0;) {
        onsets.push_back(size_t(at));
        // The next one after this one's sweep.
        at = FirstInBand(played, size_t(at) + kMixRate / 4, 700.0, 1400.0, 25.0, 0.1);
    }
    return onsets;
}

}  // namespace

// The title's options, played on the real program: music off (its box goes out), sounds off
// without a click and on again with the default click (what OpenAL wrote is silent when the
// sounds go off), the credits scrolling up
// (about 60 units a second), French chosen on the language page (the options page comes back in
// French); the options file keeps the music off and the French language after exit, yes.
TEST_F(HallProgram, TheTitlesOptionsSwitchTheSettingsShowTheCreditsAndChangeTheLanguage)
{
    const std::string out = PlayToWaveFile(false);
    LinkData();
    WriteWindowedOptions(root + "/user");
    pid = Start(program, {"--frames", "1000000"});
    const std::string id = MainWindow(pid);
    ASSERT_NE(id, "") << Stderr();
    ASSERT_TRUE(hall.Open(id));
    ASSERT_TRUE(WaitUntil([&] { return hall.TitleShows(); }, 120)) << Stderr();
    ASSERT_TRUE(ClickUntil(hall.TitleCentre("text_options"), [&] { return hall.MenuFrameShows(); }));
    const std::vector<std::pair<uint32_t, uint32_t>> options = {{41, 0}, {44, 0}, {52, 0}, {48, 0}, {49, 0}};
    const auto entry = [&](size_t i) { return hall.MenuPoint(options, 2.0f, i); };
    // A switch's box left of the widest text: light at its centre while the setting is on.
    const auto box = [&](size_t i) {
        const MenuEntry e = hall.MenuPage(options, 2.0f).at(i);
        const float size = 0.5f * hall.MenuTextHeight() * e.scale;
        return WindowPoint{int(std::lround(e.x - e.widestText * e.scale * 0.5f - 1.5f * size)),
                           int(std::lround(e.y + size))};
    };
    const auto on = [&](size_t i) {
        const int64_t c = hall.Colour(box(i));
        return c >= 0 && (c & 0xC0C0C0) == 0xC0C0C0;
    };
    ASSERT_TRUE(WaitUntil([&] { return on(0) && on(1); })) << "music and sounds start on";
    EXPECT_FALSE(on(2)) << "a window, not the full screen";
    // One click each, a second and a half apart, so that each is heard (or not) on its own.
    const auto clickOnce = [&](size_t i, bool after) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const auto when = std::chrono::steady_clock::now();
        EXPECT_TRUE(hall.Click(entry(i)));
        EXPECT_TRUE(WaitUntil([&] { return on(i) == after; })) << "switch " << i;
        return when;
    };
    const auto musicOff = clickOnce(0, false);
    const auto soundsOff = clickOnce(1, false);
    const auto soundsOn = clickOnce(1, true);
    // The credits scroll up through the frame.
    int width = 0;
    const std::vector<uint8_t> optionsPage = hall.FrameLight(&width);
    ASSERT_TRUE(ClickUntil(entry(4), [&] { return !on(1) && hall.FrameLight(&width) != optionsPage; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto first = std::chrono::steady_clock::now();
    const std::vector<uint8_t> before = hall.FrameLight(&width);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto second = std::chrono::steady_clock::now();
    const std::vector<uint8_t> after = hall.FrameLight(&width);
    // The lines still below the frame are not drawn over the title.
    EXPECT_EQ(hall.CountPixels(262.0f, 590.0f, 762.0f, 660.0f,
                               [](uint32_t c) { return (c & 0xC0C0C0u) == 0xC0C0C0u; }),
              0);
    const double seconds = std::chrono::duration<double>(second - first).count();
    const int shift = UpwardShift(before, after, width, 200);
    EXPECT_NEAR(double(shift), 60.0 * seconds, 20.0 * seconds) << "over " << seconds << " s";
    // The lines leave the frame below its close button and never cross its gold line: from the
    // frame's top edge to the button's foot the frame shows only what it showed before they came
    // (the button), and the rows of its bottom line stay dark, until the lines that reached the
    // top have moved on by two lines.
    const SceneRect& frame = hall.Popup("frame");
    const SceneRect& close = hall.Popup("close");
    const auto rowOf = [&](float y) { return hall.Window(0.0f, y).y - hall.Window(0.0f, frame.y).y; };
    const int buttonFoot = rowOf(close.y + close.height), lineTop = rowOf(frame.y + frame.height - 12.0f);
    const int twoLines = rowOf(frame.y + 60.0f);
    const auto lightRows = [&](const std::vector<uint8_t>& light, int from, int to) {
        const size_t end = std::min(light.size(), size_t(std::max(to, 0)) * size_t(width));
        const size_t begin = std::min(end, size_t(std::max(from, 0)) * size_t(width));
        return int(std::count(light.begin() + std::ptrdiff_t(begin), light.begin() + std::ptrdiff_t(end), 1));
    };
    const int button = lightRows(before, 0, buttonFoot);
    std::vector<uint8_t> reached;
    int overTop = 0, overLine = 0;
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<uint8_t> now = hall.FrameLight(&width);
        overTop = std::max(overTop, std::abs(lightRows(now, 0, buttonFoot) - button));
        overLine = std::max(overLine, lightRows(now, lineTop, rowOf(frame.y + frame.height)));
        if (reached.empty() && lightRows(now, buttonFoot, buttonFoot + twoLines / 2) > 0)
            reached = now;
        return !reached.empty() && UpwardShift(reached, now, width, 200) >= twoLines;
    }, 30)) << "the credits reach the frame's top and scroll on";
    EXPECT_EQ(overTop, 0) << "credits between the frame's top and its close button's foot";
    EXPECT_EQ(overLine, 0) << "credits over the frame's bottom line";

    // Back to the options; the language page; French.
    ASSERT_TRUE(ClickUntil(hall.PopupCentre("close"), [&] { return !on(0) && on(1); }));
    const std::vector<uint8_t> english = hall.FrameLight(&width);
    const std::vector<std::pair<uint32_t, uint32_t>> languages = {{74, 0}, {75, 0}};
    ASSERT_TRUE(ClickUntil(entry(3), [&] { return hall.FrameLight(&width) != english; }));
    ASSERT_TRUE(hall.Click(hall.MenuPoint(languages, 2.0f, 1)));
    hall.SetMenuLanguage("fr");
    // The title is entered again in French, on the options page: the music's box is out still.
    std::vector<uint8_t> french;
    EXPECT_TRUE(WaitUntil([&] {
        french = hall.FrameLight(&width);
        return hall.MenuFrameShows() && !on(0) && on(1) && french != english;
    }, 30));
    size_t differ = 0;
    for (size_t i = 0; i < english.size() && i < french.size(); ++i)
        differ += english[i] != french[i];
    EXPECT_GT(differ, 200u);

    // The main page, exit, yes.
    ASSERT_TRUE(ClickUntil(hall.PopupCentre("close"), [&] { return hall.TitleShows(); }));
    ASSERT_TRUE(ClickUntil(hall.TitleCentre("text_exit"), [&] { return hall.MenuFrameShows(); }));
    hall.Click(hall.Answer(true));
    ASSERT_EQ(Wait(pid), 0) << Stderr();
    const std::string saved = ReadFile(root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.options.sav");
    EXPECT_NE(saved.find("MUSICS_VOLUME = 0\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("SOUNDS_VOLUME = 100\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("COUNTRY_INDEX = 1\n"), std::string::npos) << saved;

    // What was heard: the music's click, none for the sounds going off and the one for them
    // coming back, each where the time between the clicks puts it.
    const std::vector<size_t> clicks = DefaultClicks(ReadStereo(out));
    const auto frames = [](std::chrono::steady_clock::duration d) {
        return std::chrono::duration<double>(d).count() * double(kMixRate);
    };
    const auto heardNear = [&](double at, double within) {
        return std::any_of(clicks.begin(), clicks.end(), [&](size_t c) { return std::fabs(double(c) - at) < within; });
    };
    bool placed = false;
    for (size_t music : clicks)
        placed = placed || (heardNear(double(music) + frames(soundsOn - musicOff), 0.3 * kMixRate) &&
                            !heardNear(double(music) + frames(soundsOff - musicOff), 0.5 * kMixRate));
    EXPECT_TRUE(placed) << clicks.size() << " default clicks";
}

namespace {

constexpr uint32_t kBlackJackObject = 26;
// The cards' size and how far a hand spreads, in card widths.
constexpr float kCardWidth = 110.0f, kCardHeight = 169.0f, kHandSpread = 0.44f;

// The card sheet cell whose flat colour this is (red 36 + 24 x column, green 40 + 36 x row,
// blue 150); -1 for any other colour.
int32_t SheetCell(int64_t rgb)
{
    if (rgb < 0)
        return -1;
    const int r = int(rgb >> 16 & 0xFF), g = int(rgb >> 8 & 0xFF), b = int(rgb & 0xFF);
    const int column = int(std::lround((r - 36) / 24.0)), row = int(std::lround((g - 40) / 36.0));
    if (std::abs(b - 150) > 10 || column < 0 || column > 8 || row < 0 || row > 5 ||
        std::abs(r - (36 + 24 * column)) > 8 || std::abs(g - (40 + 36 * row)) > 8)
        return -1;
    return row * 9 + column;
}

// The black jack table of the sample, as the player sees it: the buttons' plates at full colour
// while they take clicks (a disabled one is drawn at 0.75 over the felt), and the cards by the
// flat colour of their sheet cells near their lower left corners, where no later card of the
// hand covers them.
class BlackJackPlayer {
public:
    explicit BlackJackPlayer(LevelWindow& window) : level(window) {}

    static constexpr uint32_t kFelt = 0x1E5A32;

    // A button's plate beside its word.
    bool Enabled(const char* button, uint32_t plate)
    {
        const SceneRect& r = level.rects.at(button);
        return Near(level.Colour(level.Window(r.x + 12.0f, r.y + r.height * 0.5f)), plate, 6);
    }
    bool BetEnabled() { return Enabled("bet", 0x2A6AD0); }
    bool StandEnabled() { return Enabled("stand", 0xC03A3A); }
    // The cell shown by card `i` (from 1) of a hand of `n` cards at `place`.
    int32_t Card(const char* place, uint32_t i, uint32_t n)
    {
        const SceneRect& p = level.rects.at(place);
        const float x = p.x + p.width * 0.5f + float(i) / float(n) * kHandSpread * kCardWidth;
        const float y = p.y + p.height * 0.5f;
        return SheetCell(level.Colour(level.Window(x - kCardWidth * 0.5f + 9.0f, y + kCardHeight * 0.5f - 12.0f)));
    }
    static bool IsCard(int32_t cell) { return cell >= 0 && cell < 53 && cell != 44; }
    // The line that says how the last hand ended, between the hands: its dark plate.
    bool ResultShows()
    {
        const SceneRect& r = level.rects.at("result_won");
        return !Near(level.Colour(level.Window(r.x + 8.0f, r.y + r.height * 0.5f)), kFelt, 12);
    }
    // Three games of a bet and a stand by the buttons, each deal and settlement seen on the
    // table, each settlement's line shown until the next bet; the third settlement ends the
    // level: its banner.
    void PlayThreeGames()
    {
        // The player's hundred coins make a low pile: the felt shows a little above it.
        const SceneRect& coins = level.rects.at("coins");
        EXPECT_TRUE(Near(level.Colour(level.Window(coins.x + 5.0f, coins.y - 150.0f)), kFelt, 6));
        for (int game = 0; game < 3; ++game) {
            SCOPED_TRACE("game " + std::to_string(game + 1));
            ASSERT_TRUE(WaitUntil([&] { return BetEnabled(); }, 20));
            // The last hand's line goes with the bet. The table takes bets again as it hands the
            // settlement to the script, so the line may come a frame after the bet's button.
            if (game == 0)
                EXPECT_FALSE(ResultShows());
            else
                EXPECT_TRUE(WaitUntil([&] { return ResultShows(); }, 2));
            // A click eaten before the table takes it is made again; a taken bet disables its button.
            ASSERT_TRUE(WaitUntil([&] { return level.Click(level.Centre("bet")) && LookFor([&] { return !BetEnabled(); }, 2); },
                                  20));
            // The deal: player, bank face up, player, bank face down; then stand takes clicks.
            ASSERT_TRUE(WaitUntil([&] { return StandEnabled(); }, 20));
            const std::string shown = std::to_string(Card("user_cards", 1, 2)) + " " + std::to_string(Card("user_cards", 2, 2)) +
                                      " " + std::to_string(Card("bank_cards", 1, 2)) + " " +
                                      std::to_string(Card("bank_cards", 2, 2));
            EXPECT_TRUE(IsCard(Card("user_cards", 1, 2))) << shown;
            EXPECT_TRUE(IsCard(Card("user_cards", 2, 2))) << shown;
            EXPECT_TRUE(IsCard(Card("bank_cards", 1, 2))) << shown;
            EXPECT_EQ(Card("bank_cards", 2, 2), 44) << shown;
            ASSERT_TRUE(WaitUntil([&] { return level.Click(level.Centre("stand")) && LookFor([&] { return !StandEnabled(); }, 2); },
                                  20));
            // The bank's second card turned up, and the hand's end said.
            EXPECT_TRUE(WaitUntil([&] { return Card("bank_cards", 2, 2) != 44; }, 10));
            EXPECT_TRUE(WaitUntil([&] { return ResultShows(); }, 10));
            if (game < 2) {
                ASSERT_TRUE(WaitUntil([&] { return BetEnabled(); }, 20));
            }
        }
        ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(level.Centre("solved"))); }, 20));
    }

private:
    LevelWindow& level;
};

class BlackJackProgram : public CirclesProgram {
protected:
    BlackJackPlayer blackjack{level};
};

// Started at the black jack: three games of a bet and a stand by the buttons. After each deal the
// player's cards and the bank's face-up card show their sheet cells and the bank's other card
// its back (cell 44); the stand turns it up and the bet takes clicks again after the
// settlement. The third settlement ends the level: its banner shows, then the match-3.
TEST_F(BlackJackProgram, ThreeGamesOfABetAndAStandEndTheTable)
{
    LinkData();
    BeginUntil({"--level", "blackjack", "--chapter", "2", "--frames", "1000000"}, kBlackJackObject,
               [&] { return std::to_string(level.Colour(level.Window(1000.0f, 40.0f))); },
               [&](const std::string&) {
                   return Near(level.Colour(level.Window(1000.0f, 40.0f)), BlackJackPlayer::kFelt, 6) &&
                          blackjack.BetEnabled();
               });
    if (HasFatalFailure())
        return;
    blackjack.PlayThreeGames();
    if (HasFatalFailure())
        return;
    // Then the match-3's floor.
    EXPECT_TRUE(WaitUntil([&] { return Near(level.Colour(level.Window(1000.0f, 740.0f)), 0x38203C); }, 20)) << Stderr();
    Quit();
}

}  // namespace

namespace {

// The sample's sliding blocks, the last level of chapter 2, and the floor it opens with.
constexpr uint32_t kSlidingObject = 28;
constexpr uint32_t kSlidingFloor = 0x145050;

class NoSlidingHost : public LevelBoardHost {
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
};

// The sliding blocks of the sample, as the player sees them: each cell's piece code read from
// the colour at its centre ("." for the empty tray), the rows parted by "/"; the sample's board
// as its script configures it, solved by the search's drags, each played by the pointer and
// waited for on the screen.
class SlidingPlayer {
public:
    explicit SlidingPlayer(LevelWindow& window) : level(window)
    {
        EXPECT_TRUE(SlidingBoardFromScript(std::string(VORNEL_SOURCE_DIR) + "/data/sample/scripts/" NIMBREL_APP_NAME
                                           "_object_" + std::to_string(kSlidingObject) + ".0.script",
                                           board));
    }

    WindowPoint CellPoint(uint32_t column, uint32_t row) const
    {
        const SceneRect& r = level.rects.at("blocks");
        return level.Window(r.x + (float(column) + 0.5f) * r.width / float(board.Columns()),
                            r.y + (float(row) + 0.5f) * r.height / float(board.Rows()));
    }
    std::string Cells()
    {
        static const struct {
            uint32_t rgb;
            char code;
        } kinds[] = {{0xD03030, '1'}, {0x3050D0, '2'}, {0x30B040, '3'}, {0xE08020, '4'}, {0x9040C0, '5'}, {0x2A2018, '.'}};
        std::vector<WindowPoint> points;
        for (uint32_t c = 0; c < board.CellCount(); ++c)
            points.push_back(CellPoint(c % board.Columns(), c / board.Columns()));
        const std::vector<int64_t> colours = level.Colours(points);
        std::string cells;
        for (size_t c = 0; c < colours.size(); ++c) {
            if (c && c % board.Columns() == 0)
                cells += '/';
            char code = '?';
            for (const auto& kind : kinds)
                if (Near(colours[c], kind.rgb, 12))
                    code = kind.code;
            cells += code;
        }
        return cells;
    }
    // What the model's board shows in the same form; once solved, without the goal piece.
    std::string Expected() const
    {
        std::string cells;
        const std::vector<SlidingCell>& play = board.Play();
        for (size_t c = 0; c < play.size(); ++c) {
            if (c && c % board.Columns() == 0)
                cells += '/';
            const bool gone = board.IsWon() && (play[c].marks & kSlidingGoalPiece);
            cells += play[c].Occupied() && !gone ? char('1' + play[c].piece) : '.';
        }
        return cells;
    }
    // The search's drags, each seen on the screen; the goal piece gone and the banner saying the
    // chapter is done.
    void DragToTheExit()
    {
        bool solvable = false;
        const std::vector<SlidingDrag> drags = SolveSliding(board, &solvable);
        ASSERT_TRUE(solvable);
        for (const SlidingDrag& d : drags) {
            SCOPED_TRACE(std::to_string(d.column) + "," + std::to_string(d.row) + " by " + std::to_string(d.columns) +
                         "," + std::to_string(d.rows));
            ASSERT_TRUE(board.Shift(d.row * board.Columns() + d.column, d.columns, d.rows));
            const std::string after = Expected();
            ASSERT_TRUE(Drag(level.id, CellPoint(d.column, d.row),
                             CellPoint(uint32_t(int32_t(d.column) + d.columns), uint32_t(int32_t(d.row) + d.rows))));
            ASSERT_TRUE(WaitUntil([&] { return Cells() == after; }, 10)) << Cells() << " not " << after;
        }
        const SceneRect& done = level.rects.at("done");
        const WindowPoint plate = level.Window(done.x + 16.0f, done.y + done.height * 0.5f);
        ASSERT_TRUE(WaitUntil([&] { return IsBannerGold(level.Colour(plate)); }, 10));
    }

    // A drag pressed at `from` that moves the piece on the cell (column, row) by whole cells,
    // waited for on the screen.
    void DragFrom(WindowPoint from, uint32_t column, uint32_t row, int32_t columns, int32_t rows)
    {
        ASSERT_TRUE(board.Shift(row * board.Columns() + column, columns, rows));
        const std::string after = Expected();
        const WindowPoint a = CellPoint(column, row), b = CellPoint(uint32_t(int32_t(column) + columns),
                                                                    uint32_t(int32_t(row) + rows));
        const WindowPoint to = {from.x + (b.x - a.x), from.y + (b.y - a.y)};
        ASSERT_TRUE(WaitUntil([&] { return Drag(level.id, from, to) && LookFor([&] { return Cells() == after; }, 2); },
                              20))
            << Cells() << " not " << after;
    }

private:
    LevelWindow& level;
    NoSlidingHost host;
    SlidingBoard board{&host};
};

class SlidingProgram : public CirclesProgram {
protected:
    SlidingPlayer sliding{level};
};

}  // namespace

// Started at the sliding blocks: the pieces read off the screen stand as the sample's board; the
// search's drags by the pointer bring the goal piece onto both goal cells, it is gone, and the
// banner says the chapter is done. The saved game holds the solved board.
TEST_F(SlidingProgram, TheDragsLetTheGoalPieceOutAndTheChapterIsDone)
{
    LinkData();
    BeginUntil({"--level", "sliding", "--chapter", "2", "--frames", "1000000"}, kSlidingObject,
               [&] { return sliding.Cells(); }, [&](const std::string& cells) { return cells == sliding.Expected(); });
    if (HasFatalFailure())
        return;
    sliding.DragToTheExit();
    if (HasFatalFailure())
        return;
    Quit();
    const std::string file = root + "/user/Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav";
    const std::string dump = ProfileDump(file);
    // The goal piece stands on the goal cells of the third row.
    const size_t board = dump.find("  level sliding 6x6\n");
    EXPECT_NE(board, std::string::npos) << dump;
    EXPECT_NE(dump.find("\n        . . . . @*1 @*1\n", board), std::string::npos) << dump;
}

// Pieces are pressed anywhere on them, the seams between their own cells included: the piece two
// down on the left by the line between its cells, the square of four by its centre.
TEST_F(SlidingProgram, APieceMovesWhenPressedOnTheSeamBetweenItsCells)
{
    LinkData();
    BeginUntil({"--level", "sliding", "--chapter", "2", "--frames", "1000000"}, kSlidingObject,
               [&] { return sliding.Cells(); }, [&](const std::string& cells) { return cells == sliding.Expected(); });
    if (HasFatalFailure())
        return;
    const WindowPoint top = sliding.CellPoint(0, 2), below = sliding.CellPoint(0, 3);
    sliding.DragFrom({top.x, (top.y + below.y) / 2}, 0, 2, 0, 1);
    if (HasFatalFailure())
        return;
    const WindowPoint corner = sliding.CellPoint(4, 4), across = sliding.CellPoint(5, 5);
    sliding.DragFrom({(corner.x + across.x) / 2, (corner.y + across.y) / 2}, 4, 4, -1, 0);
    Quit();
}

namespace {

// Chapter 2 as a player plays it: every level of it, each with its own player above.
class ChapterTwoProgram : public CirclesProgram {
protected:
    // After a banner, the next level's element infos and the colour it opens with (a busy
    // machine takes its time over the banner, the transition and the load).
    void Next(uint32_t object, const std::function<WindowPoint()>& at, uint32_t rgb)
    {
        ASSERT_TRUE(level.Read(object));
        const WindowPoint p = at();
        ASSERT_TRUE(WaitUntil([&] { return Near(level.Colour(p), rgb); }, 60)) << object << Stderr();
    }
    WindowPoint Corner() const { return level.Window(1000.0f, 740.0f); }

    TubingPlayer tubing{level};
    WheelsPlayer wheels{level};
    WheelStackPlayer stacks{level};
    SwitchPlayer switcher{level};
    JigsawPlayer jigsaw{level};
    PuzzlePlayer puzzle{level};
    LabyrinthPlayer labyrinth{level};
    BlackJackPlayer blackjack{level};
    Match3Player match3{level};
    SlidingPlayer sliding{level};
};

}  // namespace

// Chapter 2 played through from its title card, whose click opens the first level: each level is
// read off the screen and played by its kind's reader, solver or move list, and after its banner
// the next one is waited for, up to the sliding blocks' banner that says the chapter is done.
TEST_F(ChapterTwoProgram, EveryLevelIsPlayedInItsTurnToTheChaptersEnd)
{
    const std::unordered_map<uint32_t, uint8_t> distance = JigsawDistances();
    LinkData();
    BeginUntil({"--level", "puzzles", "--chapter", "2", "--frames", "1000000"}, kTubingObject,
               [&] { return tubing.Way(); }, [&](const std::string&) { return tubing.WayShows(); });
    if (HasFatalFailure())
        return;
    tubing.TurnToTheWay();
    if (HasFatalFailure())
        return;
    Next(kWheelsObject, [&] { return DialCorner(level); }, 0x1A1820);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return wheels.DialShows(); }, 20)) << wheels.DivisionsText();
    wheels.TurnToTheTop();
    if (HasFatalFailure())
        return;
    Next(kWheelStackObject, [&] { return level.Centre("post_left"); }, 0x806040);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return stacks.Discs() == "bgr-----"; }, 20)) << stacks.Discs();
    stacks.Play(0, std::size(WheelStackPlayer::kClicks));
    if (HasFatalFailure())
        return;
    stacks.SeeTheBanner();
    if (HasFatalFailure())
        return;
    Next(kSwitchObject, [&] { return Corner(); }, 0x302838);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return SwitchPlayer::Dealt(switcher.Pieces()); }, 20)) << switcher.Pieces();
    switcher.PutBack();
    if (HasFatalFailure())
        return;
    Next(kCirclesObject, [&] { return Corner(); }, 0x202830);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return CirclesPlayer::Dealt(circles.Arrangement()); }, 20)) << circles.Arrangement();
    circles.SolveAndSeeTheBanner();
    if (HasFatalFailure())
        return;
    PlayTheSpiderAndTheMixture(level);
    if (HasFatalFailure())
        return;
    Next(kJigsawObject, [&] { return level.Window(980.0f, 40.0f); }, 0x2C3828);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return JigsawPlayer::Dealt(jigsaw.Pieces()); }, 20)) << jigsaw.Pieces();
    jigsaw.SlideHome(distance);
    if (HasFatalFailure())
        return;
    Next(kPuzzleObject, [&] { return Corner(); }, 0x203830);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return puzzle.Shown() == "++++++"; }, 20)) << puzzle.Shown();
    puzzle.PlaceEveryPiece();
    if (HasFatalFailure())
        return;
    Next(kLabyrinthObject, [&] { return level.Window(980.0f, 40.0f); }, 0x1E3440);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return labyrinth.Ball() == "1,1"; }, 20)) << labyrinth.Ball();
    labyrinth.RollToTheGoal();
    if (HasFatalFailure())
        return;
    Next(kBlackJackObject, [&] { return level.Window(1000.0f, 40.0f); }, BlackJackPlayer::kFelt);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return blackjack.BetEnabled(); }, 20));
    blackjack.PlayThreeGames();
    if (HasFatalFailure())
        return;
    Next(kMatch3Object, [&] { return Corner(); }, 0x38203C);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return match3.Cells().find('?') == std::string::npos; }, 20)) << match3.Cells();
    match3.PlayToThirtyPoints();
    if (HasFatalFailure())
        return;
    Next(kSlidingObject, [&] { return Corner(); }, kSlidingFloor);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitUntil([&] { return sliding.Cells() == sliding.Expected(); }, 20)) << sliding.Cells();
    sliding.DragToTheExit();
    Quit();
}

namespace {

// An X server of one size with a window manager on it (openbox): the program's first start is
// full screen there, at the display's size, as on a player's desktop. The test's own looks and
// xdotool go to it while it lives.
class ManagedDisplay {
public:
    ManagedDisplay(int width, int height)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_server = fork();
        if (m_server == 0) {
            close(fds[0]);
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
            const std::string fd = std::to_string(fds[1]);
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, 2);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-noreset", "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes its display number once it takes connections.
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty())
            return;
        const char* before = std::getenv("DISPLAY");
        m_previous = before ? before : "";
        m_name = ":" + number;
        setenv("DISPLAY", m_name.c_str(), 1);
        m_manager = fork();
        if (m_manager == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, 1);
            dup2(quiet, 2);
            execlp("openbox", "openbox", static_cast<char*>(nullptr));
            _exit(127);
        }
        // The manager is there once it names itself on the root window.
        m_ready = WaitUntil([] {
            return Shell("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") != std::string::npos;
        });
    }
    ~ManagedDisplay()
    {
        for (pid_t pid : {m_manager, m_server})
            if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
        if (!m_name.empty())
            setenv("DISPLAY", m_previous.c_str(), 1);
    }
    bool Ready() const { return m_ready; }
    const std::string& Name() const { return m_name; }

private:
    pid_t m_server = -1, m_manager = -1;
    std::string m_name, m_previous;
    bool m_ready = false;
};

struct DisplaySize {
    int width, height;
};

std::ostream& operator<<(std::ostream& out, const DisplaySize& size)
{
    return out << size.width << "x" << size.height;
}

// Where a point of the reference screen lands in the window: p x scale + offset.
struct ScreenMap {
    float scale = 1.0f, x = 0.0f, y = 0.0f;
    WindowPoint operator()(float px, float py) const
    {
        return {int(std::lround(px * scale + x)), int(std::lround(py * scale + y))};
    }
};

// A colour of the hall's pictures, as the 1024x768 screen shows it in the middle of each.
bool IsAppleGreen(int64_t rgb) { return (rgb >> 8 & 0xFF) > (rgb >> 16 & 0xFF) + 30 && (rgb >> 8 & 0xFF) > (rgb & 0xFF) + 60; }
bool IsGold(int64_t rgb) { return (rgb >> 16 & 0xFF) > 180 && (rgb >> 8 & 0xFF) > 140 && (rgb & 0xFF) < 130; }
bool IsSky(int64_t rgb) { return (rgb & 0xFF) > 200 && (rgb & 0xFF) > (rgb >> 16 & 0xFF) + 30; }
bool IsNavy(int64_t rgb) { return (rgb >> 16 & 0xFF) < 60 && (rgb & 0xFF) > (rgb >> 16 & 0xFF) + 10; }
bool IsButtonGreen(int64_t rgb)
{
    return (rgb >> 16 & 0xFF) < 90 && (rgb >> 8 & 0xFF) > (rgb >> 16 & 0xFF) + 25 && (rgb >> 8 & 0xFF) > (rgb & 0xFF) + 20;
}
bool IsInk(uint32_t rgb) { return (rgb >> 16 & 0xFF) < 0x50 && (rgb >> 8 & 0xFF) < 0x50 && (rgb & 0xFF) < 0x50; }

// Whether the picture shows the colour at the point or one pixel beside it.
bool ShowsAt(const RootPicture& picture, WindowPoint p, bool (*colour)(int64_t))
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int x = p.x + dx, y = p.y + dy;
            if (x >= 0 && y >= 0 && x < picture.width && y < picture.height && colour(picture.At(x, y)))
                return true;
        }
    return false;
}

class WindowSizes : public Program, public ::testing::WithParamInterface<DisplaySize> {};

}  // namespace

// The hall with its welcome text, full screen on displays smaller and larger than the reference
// screen and of other shapes: the scene is where the fit puts the reference screen (cropped where
// it crops), the interfaces show the whole reference screen centred, the text lies on its
// parchment, and on the largest a click on an item finds it.
TEST_P(WindowSizes, TheHallIsFittedOnceAndAClickFindsWhatItShows)
{
    if (!HaveXdotool() || std::system("command -v openbox >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs an X display, xdotool and openbox (run under xvfb-run)";
    const DisplaySize size = GetParam();
    ManagedDisplay display(size.width, size.height);
    ASSERT_TRUE(display.Ready()) << "no window manager on a " << size << " display";
    environment = {{"DISPLAY", display.Name()}};
    LinkData();
    const pid_t pid = Start("nimbrel_test_nosplash", {"--level", "hall", "--chapter", "1", "--frames", "100000"});
    const std::string id = MainWindow(pid);
    ASSERT_NE(id, "") << Stderr();
    // A first start is full screen, at the display's size.
    int windowSize[2] = {};
    float fit[4] = {};
    ASSERT_TRUE(WaitUntil([&] {
        return WindowFit(id, fit, windowSize) && windowSize[0] == size.width && windowSize[1] == size.height;
    })) << windowSize[0] << "x" << windowSize[1];
    const ScreenMap scene{fit[2], fit[0], fit[1]};
    const float whole = std::min({fit[2], size.width / 1024.0f, size.height / 768.0f});
    const ScreenMap interfaces{whole, (size.width - 1024.0f * whole) * 0.5f, (size.height - 768.0f * whole) * 0.5f};

    // The popup's background (212, 164, 600 by 440 on the reference screen), read once its page
    // has stayed the same for half a second.
    const WindowPoint corners[] = {interfaces(252, 204), interfaces(772, 204), interfaces(252, 564), interfaces(772, 564)};
    const auto parchment = [&](const RootPicture& p) {
        return !p.pixels.empty() && std::all_of(std::begin(corners), std::end(corners),
                                                [&](WindowPoint c) { return IsParchment(p.At(c.x, c.y)); });
    };
    // Inside the parchment's border, where the page's text lies.
    const WindowPoint topLeft = interfaces(236, 188), bottomRight = interfaces(788, 580);
    const auto page = [&](const RootPicture& p) {
        std::vector<uint32_t> inside;
        for (int y = topLeft.y; y < bottomRight.y; ++y)
            inside.insert(inside.end(), p.pixels.begin() + y * p.width + topLeft.x,
                          p.pixels.begin() + y * p.width + bottomRight.x);
        return inside;
    };
    // The pointer, and the game's cursor with it, out of the way of the page.
    std::system("xdotool mousemove 0 0");
    RootPicture screen;
    SteadyLook<std::vector<uint32_t>> steady;
    ASSERT_TRUE(WaitUntil([&] {
        screen = ReadWindowPicture(id);
        return parchment(screen) && steady(page(screen));
    }, 30)) << "the welcome text never showed on its parchment: " << Stderr();

    // The scene's pictures where the fit puts them, and the buttons on the screen.
    // The apple, unless the band of the page buttons covers it (on a wide screen the scene is
    // larger than the interfaces).
    const WindowPoint apple = scene(844, 632);
    if (apple.y < interfaces(0, 672).y)
        EXPECT_TRUE(ShowsAt(screen, apple, IsAppleGreen)) << "apple";
    EXPECT_TRUE(ShowsAt(screen, scene(640, 610), IsGold)) << "key";
    EXPECT_TRUE(ShowsAt(screen, scene(880, 280), IsSky)) << "window";
    EXPECT_TRUE(ShowsAt(screen, interfaces(38, 62), IsNavy)) << "menu button";
    EXPECT_TRUE(ShowsAt(screen, interfaces(56, 100), IsGold)) << "hint button";
    EXPECT_TRUE(ShowsAt(screen, interfaces(945, 695), IsButtonGreen)) << "next page button";

    // The text on the parchment, clear of its border, in letters of the interfaces' size.
    int left = INT32_MAX, right = -1, top = INT32_MAX, bottom = -1, ink = 0;
    for (int y = topLeft.y; y < bottomRight.y; ++y)
        for (int x = topLeft.x; x < bottomRight.x; ++x)
            if (IsInk(screen.At(x, y))) {
                ++ink;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    const int margin = 2;
    EXPECT_GT(ink, int(400.0f * whole * whole));
    EXPECT_GT(left, topLeft.x + margin);
    EXPECT_LT(right, bottomRight.x - margin);
    EXPECT_GT(top, topLeft.y + margin);
    EXPECT_LT(bottom, bottomRight.y - margin);
    // Three lines of the sample's welcome, each about 26 units high on the reference screen.
    EXPECT_NEAR(bottom - top, 3 * 26 * whole, 26 * whole);

    if (size.width == 1920) {
        // Space goes through the welcome text; then a click on the apple finds it, and it fades.
        ASSERT_TRUE(WaitUntil([&] {
            const RootPicture now = ReadWindowPicture(id);
            if (!parchment(now))
                return true;
            std::system(("xdotool windowfocus --sync " + id + " key space").c_str());
            return LookFor([&] { return !parchment(ReadWindowPicture(id)); }, 2);
        }, 30));
        ASSERT_TRUE(WaitUntil([&] {
            std::system(("xdotool mousemove --window " + id + " " + std::to_string(apple.x) + " " +
                         std::to_string(apple.y) + " click 1").c_str());
            return LookFor([&] { return !ShowsAt(ReadWindowPicture(id), apple, IsAppleGreen); }, 3);
        }, 30)) << "the apple was not found by a click on it";
    }
    kill(pid, SIGTERM);
    EXPECT_EQ(Wait(pid), 0) << Stderr();
}

INSTANTIATE_TEST_SUITE_P(FullScreen, WindowSizes,
                         ::testing::Values(DisplaySize{640, 480}, DisplaySize{800, 600}, DisplaySize{1024, 768},
                                           DisplaySize{1280, 960}, DisplaySize{1366, 768}, DisplaySize{1920, 1080}),
                         [](const ::testing::TestParamInfo<DisplaySize>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });
