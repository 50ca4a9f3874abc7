#include "MessageSequence.h"

#include <algorithm>
#include <sstream>

namespace test {
namespace {
template <class M>
void Print(std::ostringstream &out, const char *heading, const std::vector<M> &messages) {
    out << "\n  " << heading << ":";
    for (const auto &m : messages)
        out << "\n    0x" << std::hex << m.message << std::dec << " wParam " << static_cast<long long>(m.wParam)
            << " lParam " << static_cast<long long>(m.lParam);
    if (messages.empty()) out << " none";
}
}

testing::AssertionResult ReceivedSequence(const std::vector<Received> &all, const std::vector<Message> &expected,
                                          const std::vector<UINT> &ignored) {
    std::vector<Received> received;
    for (const Received &m : all)
        if (std::find(ignored.begin(), ignored.end(), m.message) == ignored.end()) received.push_back(m);
    bool same = received.size() == expected.size();
    for (size_t i = 0; same && i < expected.size(); ++i)
        same = received[i].message == expected[i].message && received[i].wParam == expected[i].wParam &&
               received[i].lParam == expected[i].lParam;
    if (same) return testing::AssertionSuccess();
    std::ostringstream out;
    out << "the message sequence differs";
    Print(out, "expected", expected);
    Print(out, "received", received);
    return testing::AssertionFailure() << out.str();
}
}
