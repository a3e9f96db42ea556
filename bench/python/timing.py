"""Timing helper shared by the benchmark scripts of this folder."""

import time


def best_of(runs, action):
    """The shortest wall-clock time, in seconds, of `runs` calls of action()."""
    times = []
    for _ in range(runs):
        begin = time.perf_counter()
        action()
        times.append(time.perf_counter() - begin)
    return min(times)
