#pragma once

#include <csignal>
#include <sys/resource.h>

// Files may grow to so many bytes while it lives, as on a disk that fills up: a write past the
// limit fails (EFBIG) instead of killing the test with SIGXFSZ.
class DisquePlein {
public:
    explicit DisquePlein(rlim_t octets) {
        getrlimit(RLIMIT_FSIZE, &m_avant);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limite = m_avant;
        limite.rlim_cur = octets;
        setrlimit(RLIMIT_FSIZE, &limite);
    }
    ~DisquePlein() {
        setrlimit(RLIMIT_FSIZE, &m_avant);
        std::signal(SIGXFSZ, m_signal);
    }
    DisquePlein(const DisquePlein&) = delete;
    DisquePlein& operator=(const DisquePlein&) = delete;

private:
    rlimit m_avant{};
    void (*m_signal)(int) = nullptr;
};
