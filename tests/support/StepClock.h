#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

// A millisecond clock for DeviceConnection that moves on by `step` at every
// reading, so a time-out passes after a known number of readings without any
// real waiting. Copies share one time line.
class StepClock
{
public:
    explicit StepClock(quint32 start = 0, quint32 step = 1)
        : m_state(std::make_shared<State>(State{start, step, 0}))
    {
    }

    std::function<quint32()> function() const
    {
        auto state = m_state;
        return [state] {
            const quint32 now = state->now;
            state->now += state->step;
            ++state->readings;
            return now;
        };
    }
    int readings() const { return m_state->readings; }

private:
    struct State
    {
        quint32 now;
        quint32 step;
        int readings;
    };
    std::shared_ptr<State> m_state;
};
