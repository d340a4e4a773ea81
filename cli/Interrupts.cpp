#include "cli/Interrupts.h"

#include <csignal>

namespace packshelf::cli {

namespace {

std::atomic<int> g_received{0};
std::atomic<std::atomic<bool>*> g_watched{nullptr};
struct sigaction g_previousInt;
struct sigaction g_previousTerm;

void onSignal(int signal) {
    g_received.store(signal);
    if (std::atomic<bool>* flag = g_watched.load())
        flag->store(true);
}

} // namespace

Interrupts::Interrupts() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &g_previousInt);
    ::sigaction(SIGTERM, &action, &g_previousTerm);
}

Interrupts::~Interrupts() {
    g_watched.store(nullptr);
    ::sigaction(SIGINT, &g_previousInt, nullptr);
    ::sigaction(SIGTERM, &g_previousTerm, nullptr);
}

void Interrupts::watch(std::atomic<bool>* flag) {
    g_watched.store(flag);
    if (g_received.load() != 0 && flag)
        flag->store(true);
}

int Interrupts::received() const {
    return g_received.load();
}

} // namespace packshelf::cli
