#pragma once
// The skin-changed broadcast: the skin frame tells every registered receiver
// (the main window among them) which background to show.

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <vector>

namespace talven {

// What a receiver shows: a plain colour (colour set) or an image.
struct SkinChangedParam {
    bool colour = false;
    quint32 bkColor = 0;  // ARGB, used when colour is set
    QString bkImage;      // skin-relative or absolute path, used otherwise

    bool operator==(const SkinChangedParam&) const = default;
};

template <typename ReturnT, typename ParamT>
class ReceiverImpl {
public:
    virtual ~ReceiverImpl() = default;
    virtual ReturnT Receive(ParamT param) = 0;
};

// Receivers are not owned; one that goes away removes itself first.
template <typename ReturnT, typename ParamT>
class ObserverImpl {
public:
    void AddReceiver(ReceiverImpl<ReturnT, ParamT>* receiver) {
        if (receiver && std::find(receivers_.begin(), receivers_.end(), receiver) == receivers_.end())
            receivers_.push_back(receiver);
    }
    void RemoveReceiver(ReceiverImpl<ReturnT, ParamT>* receiver) {
        receivers_.erase(std::remove(receivers_.begin(), receivers_.end(), receiver), receivers_.end());
    }
    // Every receiver gets its own copy, in the order they registered.
    void Broadcast(const ParamT& param) {
        const auto receivers = receivers_;  // a receiver may unregister while told
        for (auto* receiver : receivers) receiver->Receive(param);
    }
    size_t ReceiverCount() const { return receivers_.size(); }

private:
    std::vector<ReceiverImpl<ReturnT, ParamT>*> receivers_;
};

using SkinReceiver = ReceiverImpl<int, SkinChangedParam>;
using SkinObserver = ObserverImpl<int, SkinChangedParam>;

// The process-wide observer.
SkinObserver& skinObserver();

}  // namespace talven
