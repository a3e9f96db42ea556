"""Sweeps on a local Dask cluster of two worker processes: results in order and equal to local
steps, a worker that dies mid-sweep losing nothing, and the command-line form against what
`blocktide sim` prints for the same stimulus files."""

import os
import subprocess
import sys

import numpy as np
import pytest

import blocktide
from blocktide import sweeping

distributed = pytest.importorskip("distributed")


@pytest.fixture(scope="module")
def client():
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None)
    with distributed.Client(cluster) as connected:
        yield connected
    cluster.close()


def stimuli(count):
    # Stimulus k counts with en = 1 for k + 3 cycles, then holds.
    return [{"en": np.array([1] * (k + 3) + [0] * 4, dtype=np.uint64)} for k in range(count)]


def test_results_come_back_in_order_and_equal_local_steps(counter, client):
    sets = stimuli(6)
    results = blocktide.sweep(counter, sets, ["count"], client=client)
    assert len(results) == 6
    for columns, result in zip(sets, results):
        local = blocktide.Simulation(counter, print_messages=False).step(columns, ["count"])
        assert np.array_equal(result["count"], local["count"])


def test_every_simulation_of_a_sweep_can_start_from_one_checkpoint(counter, client, tmp_path):
    started = blocktide.Simulation(counter, print_messages=False)
    started.step({"en": np.ones(37, dtype=np.uint64)})
    checkpoint = str(tmp_path / "started.state")
    started.save(checkpoint)
    sets = stimuli(4)
    results = blocktide.sweep(counter, sets, ["count"], client=client, start=checkpoint)
    for columns, result in zip(sets, results):
        local = blocktide.Simulation(counter, print_messages=False)
        local.restore(checkpoint)
        expected = local.step(columns, ["count"])["count"]
        assert np.array_equal(result["count"], expected)
        assert expected[0] >= 37  # the count carried on from the checkpoint


def test_a_worker_that_dies_mid_sweep_loses_nothing(counter, client, tmp_path):
    marker = str(tmp_path / "died")

    def dies_once(simdb, name, columns, outputs):
        # The first task to run kills its worker process; Dask runs the task again. The marker
        # is created exclusively: tasks start on both workers at once, and only one may die.
        try:
            os.close(os.open(marker, os.O_CREAT | os.O_EXCL | os.O_WRONLY))
        except FileExistsError:
            return sweeping.simulate(simdb, name, columns, outputs)
        os._exit(1)

    sets = stimuli(8)
    results = blocktide.sweep(counter, sets, ["count"], client=client, task=dies_once)
    assert os.path.exists(marker)
    assert [int(r["count"][-1]) for r in results] == [k + 3 for k in range(8)]


def test_command_line_writes_what_sim_prints(counter, tmp_path):
    first, second = tmp_path / "one.csv", tmp_path / "two.csv"
    first.write_text("en,clr,cycles\n1,0,3\n0,0,2\n1,0,1\n")
    second.write_text("en,clr\n1,0\n1,1\n1,0\n")
    command = os.environ.get("BLOCKTIDE_COMMAND")
    # Through the command when it is at hand (it runs this module), else the module itself.
    runner = [command, "sweep"] if command else [sys.executable, "-m", "blocktide.sweeping"]
    done = subprocess.run(runner + [counter, str(first), str(second), "--out-dir", str(tmp_path)],
                          capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    for stimulus in (first, second):
        swept = (tmp_path / (stimulus.stem + ".out.csv")).read_text()
        if command:
            simulated = subprocess.run([command, "sim", counter, "--stimulus", str(stimulus)], capture_output=True,
                                       text=True, timeout=60)
            assert swept == simulated.stdout
        assert swept.splitlines()[0] == "cycle,count,wrap"
