#pragma once
// What the tests against SANE's test device share: a private configuration folder that offers only
// the test device (SANE_CONFIG_DIR without a trailing ':', so the system's folder is not read),
// scripted dialogs, and scanimage's picture for the same options as a reference.
#include <algorithm>
#include <cstdio>
#include <deque>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/MainThread.h"
#include "platform/TempFolder.h"
#include "twain/SaneDialogs.h"
#include "twain/TwainMemory.h"

using TOptionList = std::vector<std::pair<std::string, std::string>>;

// A folder with dll.conf and test.conf; SANE_CONFIG_DIR points at it while the object lives.
class TSaneConfig
{
public:
    explicit TSaneConfig(bool withDevices = true)
    {
        std::ofstream(FFolder.Path() + "/dll.conf") << (withDevices ? "test\n" : "");
        // The defaults of the test device: two devices (test:0, test:1), a grey picture of 80 x 100 mm at
        // 50 dpi (157 x 196 pixels).
        std::ofstream(FFolder.Path() + "/test.conf")
            << "number_of_devices 2\nmode Gray\ndepth 8\nhand-scanner false\nthree-pass false\n"
               "three-pass-order RGB\nresolution_min 1.0\nresolution_max 1200.0\nresolution_quant 1.0\n"
               "resolution 50.0\ntest-picture \"Solid black\"\ninvert-endianess false\nread-limit false\n"
               "read-limit-size 1\nread-delay false\nread-delay-duration 1000\nread-status-code \"Default\"\n"
               "fuzzy-parameters false\nppl-loss 0\nnon-blocking false\nselect-fd false\n"
               "enable-test-options false\ngeometry_min 0.0\ngeometry_max 200.0\ngeometry_quant 1.0\n"
               "tl_x 0.0\ntl_y 0.0\nbr_x 80.0\nbr_y 100.0\n";
        ::setenv("SANE_CONFIG_DIR", FFolder.Path().c_str(), 1);
    }
    ~TSaneConfig() { ::unsetenv("SANE_CONFIG_DIR"); }
    const std::string& Path() const { return FFolder.Path(); }

private:
    TTempFolder FFolder;
};

// A picture as PNM: P4 (1 bit, 1 = black), P5 (grey) or P6 (RGB), 8 or 16 bits big-endian.
struct TPnm
{
    char Kind = 0;
    int Width = 0, Height = 0, MaxVal = 1;
    std::vector<uint8_t> Data;
};

// scanimage's picture of the device with the options (as --name=value). Its reader thread keeps
// deferred cancellation too (see DeferredReaderCancel.cpp).
inline TPnm ScanImage(const std::string& device, const TOptionList& options)
{
    std::string command = std::string("LD_PRELOAD='") + QM_DEFERRED_CANCEL_LIB + "' scanimage --format=pnm -d " + device;
    for (const auto& [name, value] : options) command += " '--" + name + "=" + value + "'";
    TPnm pnm;
    FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) return pnm;
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    ::pclose(p);
    // Header: magic, width, height, maxval (not for P4), each after white space and comments.
    size_t at = 2;
    const auto number = [&] {
        for (;;) {
            while (at < bytes.size() && std::isspace(bytes[at])) ++at;
            if (at < bytes.size() && bytes[at] == '#')
                while (at < bytes.size() && bytes[at] != '\n') ++at;
            else
                break;
        }
        int v = 0;
        while (at < bytes.size() && std::isdigit(bytes[at])) v = v * 10 + (bytes[at++] - '0');
        return v;
    };
    if (bytes.size() < 2 || bytes[0] != 'P') return pnm;
    pnm.Kind = char(bytes[1]);
    pnm.Width = number();
    pnm.Height = number();
    if (pnm.Kind != '4') pnm.MaxVal = number();
    ++at; // the single white-space character before the data
    if (at <= bytes.size()) pnm.Data.assign(bytes.begin() + long(at), bytes.end());
    return pnm;
}

// Expected DIB rows (bottom-up, padded to 4) from a PNM: RGB to blue-green-red, 16-bit samples by
// their high byte (the first byte of each big-endian sample), PNM's black bits as DIB index 0.
inline std::vector<uint8_t> DibPixelsOf(const TPnm& pnm, int& bits)
{
    const int channels = pnm.Kind == '6' ? 3 : 1;
    const int sampleBytes = pnm.MaxVal > 255 ? 2 : 1;
    bits = pnm.Kind == '4' ? 1 : 8 * channels;
    const size_t stride = (size_t(pnm.Width) * bits + 31) / 32 * 4;
    size_t pnmRow =
        pnm.Kind == '4' ? (size_t(pnm.Width) + 7) / 8 : size_t(pnm.Width) * channels * sampleBytes;
    // scanimage writes each line as the device sent it, padding beyond the pixels included.
    if (pnm.Height > 0) pnmRow = std::max(pnmRow, pnm.Data.size() / size_t(pnm.Height));
    std::vector<uint8_t> out(stride * size_t(pnm.Height), 0);
    for (int y = 0; y < pnm.Height; ++y) {
        const uint8_t* src = pnm.Data.data() + size_t(y) * pnmRow;
        uint8_t* dst = out.data() + size_t(pnm.Height - 1 - y) * stride;
        if (pnm.Kind == '4') {
            for (int x = 0; x < pnm.Width; ++x)
                if (((src[x / 8] >> (7 - x % 8)) & 1) == 0) dst[x / 8] |= uint8_t(0x80 >> (x % 8));
            continue;
        }
        for (int x = 0; x < pnm.Width; ++x)
            for (int c = 0; c < channels; ++c)
                dst[x * channels + (channels - 1 - c)] = src[(size_t(x) * channels + c) * sampleBytes];
    }
    return out;
}

// What the scripted source dialog does next: press Scan, press Scan and then Cancel once the
// scan shows progress, or close the dialog.
enum class TDialogStep { Scan, ScanThenCancel, Close };

struct TDialogLog
{
    int Opened = 0;
    TWindowHandle Parent = nullptr;
    TSourceDialogSetup Setup;
    int Started = 0;
    std::vector<int> Progress;
    std::vector<std::string> Ended; // the error text of every ended scan ("" for a picture or a cancel)
};

class TScriptedSaneDialogs : public ISaneDialogs
{
public:
    std::optional<size_t> SelectSource(TWindowHandle parent, const std::vector<TSaneDevice>& devices,
                                       size_t preselected) override
    {
        ++Selections;
        SelectParent = parent;
        Listed = devices;
        Preselected = preselected;
        return Choice;
    }

    std::unique_ptr<ISaneSourceDialog> OpenSourceDialog(TWindowHandle parent, const TSourceDialogSetup& setup,
                                                        ISaneSourceDialogClient& client) override
    {
        ++Log.Opened;
        Log.Parent = parent;
        Log.Setup = setup;
        auto dialog = std::make_unique<TDialog>(*this, client);
        dialog->Next();
        return dialog;
    }

    int Selections = 0; // selection dialogs shown
    TWindowHandle SelectParent = nullptr;
    std::vector<TSaneDevice> Listed;
    size_t Preselected = 99;
    std::optional<size_t> Choice;
    std::deque<TDialogStep> Steps;
    bool Feeder = false;
    TDialogLog Log;

private:
    class TDialog : public ISaneSourceDialog
    {
    public:
      TDialog(TScriptedSaneDialogs& owner, ISaneSourceDialogClient& client) : FOwner(owner), FClient(client)
      {
      }
        ~TDialog() override { *FAlive = false; }
        void ScanStarted() override { ++FOwner.Log.Started; }
        void SetProgress(int percent) override
        {
            FOwner.Log.Progress.push_back(percent);
            if (FCancelOnProgress) {
                FCancelOnProgress = false;
                Later([this] { FClient.CancelScan(); });
            }
        }
        void ScanEnded(const std::string& errorText) override
        {
            FOwner.Log.Ended.push_back(errorText);
            Next();
        }
        // Does the next step from the event loop, as a user would.
        void Next()
        {
            if (FOwner.Steps.empty()) return;
            const TDialogStep step = FOwner.Steps.front();
            FOwner.Steps.pop_front();
            FCancelOnProgress = step == TDialogStep::ScanThenCancel;
            Later([this, step] {
                if (step == TDialogStep::Close) {
                    FClient.CloseRequest();
                    return;
                }
                TScanRequest request = FOwner.Log.Setup.Current;
                request.Feeder = FOwner.Feeder;
                FClient.Scan(request);
            });
        }

    private:
        template <typename F> void Later(F fn)
        {
            std::shared_ptr<bool> alive = FAlive;
            MainThreadInvoker()->Post([alive, fn] {
                if (*alive) fn();
            });
        }
        TScriptedSaneDialogs& FOwner;
        ISaneSourceDialogClient& FClient;
        bool FCancelOnProgress = false;
        std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    };
};
