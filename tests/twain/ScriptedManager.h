#pragma once
// A source manager that answers from a script and records every call with the session's state
// at the time, for the acquisition tests.
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "twain/SourceManager.h"
#include "twain/TwainAcquire.h"
#include "twain/TwainMemory.h"

struct TRecordedCall
{
    bool ToSource;
    TW_UINT32 Dg;
    TW_UINT16 Dat;
    TW_UINT16 Msg;
    int State; // TWAIN_State() when the call came
    bool operator==(const TRecordedCall&) const = default;
};

struct TTransferOutcome
{
    TW_UINT16 Rc = TWRC_XFERDONE;
    TW_UINT16 CC = TWCC_SUCCESS;
    TW_UINT16 Pending = 0;           // Count answered by MSG_ENDXFER
    bool ReadyAgain = false;         // posts MSG_XFERREADY again after this transfer
    bool CloseAfter = false;         // posts MSG_CLOSEDSREQ after this transfer
};

struct TManagerScript
{
    std::map<std::pair<TW_UINT16, TW_UINT16>, std::pair<TW_UINT16, TW_UINT16>>
        Answers; // (DAT, MSG) -> (RC, CC)
    std::vector<TW_UINT16> PostOnEnable{MSG_XFERREADY};
    std::deque<TTransferOutcome> Transfers{TTransferOutcome{}};
    // The container MSG_GET of a capability answers: type and bytes (nullptr handle when Bytes is empty
    // and NullContainer is set).
    TW_UINT16 ConType = TWON_ONEVALUE;
    std::vector<uint8_t> Container;
    bool NullContainer = false;
    bool StatusFails = false;
};

class TScriptedManager : public ITwainSourceManager
{
public:
    TScriptedManager(TManagerScript script, std::vector<TRecordedCall>& calls,
                     std::vector<std::vector<uint8_t>>& sets)
        : FScript(std::move(script)), FCalls(calls), FSets(sets)
    {
    }

    TW_UINT16 Entry(TW_IDENTITY*, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                    TW_MEMREF data) override
    {
        FCalls.push_back({dest != nullptr, dg, dat, msg, TWAIN_State()});
        const auto answer = FScript.Answers.find({dat, msg});
        if (answer != FScript.Answers.end()) {
            FCC = answer->second.second;
            if (answer->second.first != TWRC_SUCCESS) return answer->second.first;
        }
        switch (dat) {
        case DAT_STATUS:
            if (FScript.StatusFails) return TWRC_FAILURE;
            static_cast<TW_STATUS*>(data)->ConditionCode = FCC;
            return TWRC_SUCCESS;
        case DAT_USERINTERFACE:
            if (msg == MSG_ENABLEDS)
                for (TW_UINT16 m : FScript.PostOnEnable) TwainPostEvent({this, m});
            return TWRC_SUCCESS;
        case DAT_EVENT: {
            auto* e = static_cast<TW_EVENT*>(data);
            const auto* posted = static_cast<const TTwainEvent*>(e->pEvent);
            if (posted->Sender != this) return TWRC_NOTDSEVENT;
            e->TWMessage = posted->Message;
            return TWRC_DSEVENT;
        }
        case DAT_IMAGENATIVEXFER: {
            FOutcome = FScript.Transfers.empty() ? TTransferOutcome{TWRC_FAILURE} : FScript.Transfers.front();
            if (!FScript.Transfers.empty()) FScript.Transfers.pop_front();
            FCC = FOutcome.CC;
            if (FOutcome.ReadyAgain) TwainPostEvent({this, MSG_XFERREADY});
            if (FOutcome.CloseAfter) TwainPostEvent({this, MSG_CLOSEDSREQ});
            if (FOutcome.Rc == TWRC_XFERDONE) *static_cast<TW_HANDLE*>(data) = TwainAllocBlock(64);
            return FOutcome.Rc;
        }
        case DAT_PENDINGXFERS:
            static_cast<TW_PENDINGXFERS*>(data)->Count = msg == MSG_ENDXFER ? FOutcome.Pending : 0;
            return TWRC_SUCCESS;
        case DAT_CAPABILITY: {
            auto* cap = static_cast<TW_CAPABILITY*>(data);
            if (msg == MSG_SET) {
                const auto* p = static_cast<const uint8_t*>(TwainLockBlock(cap->hContainer));
                FSets.emplace_back(p, p + TwainBlockSize(cap->hContainer));
                return TWRC_SUCCESS;
            }
            cap->ConType = FScript.ConType;
            cap->hContainer = nullptr;
            if (!FScript.NullContainer) {
                cap->hContainer = TwainAllocBlock(FScript.Container.size());
                std::memcpy(TwainLockBlock(cap->hContainer), FScript.Container.data(),
                            FScript.Container.size());
            }
            return TWRC_SUCCESS;
        }
        default:
            return TWRC_SUCCESS;
        }
    }

private:
    TManagerScript FScript;
    std::vector<TRecordedCall>& FCalls;
    std::vector<std::vector<uint8_t>>& FSets;
    TTransferOutcome FOutcome;
    TW_UINT16 FCC = TWCC_SUCCESS;
};

// Hands out scripted managers; Available false makes every load fail.
class TScriptedLoader : public ITwainManagerLoader
{
public:
    std::unique_ptr<ITwainSourceManager> Load() override
    {
        ++Loads;
        if (!Available) return nullptr;
        return std::make_unique<TScriptedManager>(Script, Calls, Sets);
    }
    bool Available = true;
    int Loads = 0;
    TManagerScript Script;
    std::vector<TRecordedCall> Calls;
    std::vector<std::vector<uint8_t>> Sets; // containers sent with MSG_SET
};
