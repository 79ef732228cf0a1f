"""The processes of one desktop test run, and its private buses.

Shared by the AT-SPI and Orca tests: a session bus of the run's own, the
accessibility bus found through it, and every process started, stopped in
reverse order at the end.
"""

import os
import shutil
import subprocess
import tempfile
import time

BUS_LAUNCHER = next((p for p in ("/usr/libexec/at-spi-bus-launcher",
                                 "/usr/lib/at-spi2-core/at-spi-bus-launcher")
                     if os.path.exists(p)), None)


class Session:
    """The processes of one run and a working folder, gone with stop()."""

    def __init__(self, prefix):
        self.work = tempfile.mkdtemp(prefix=prefix)
        self.processes = []

    def start(self, args, **kwargs):
        proc = subprocess.Popen(args, **kwargs)
        self.processes.append(proc)
        return proc

    def stop(self):
        for proc in reversed(self.processes):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        shutil.rmtree(self.work, ignore_errors=True)

    def start_buses(self):
        """A private session bus for this process and its children, and the
        accessibility bus found through it; False when that does not come."""
        bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        self.start([BUS_LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
        for _ in range(100):
            if subprocess.run(["dbus-send", "--session", "--print-reply",
                               "--dest=org.a11y.Bus", "/org/a11y/bus",
                               "org.a11y.Bus.GetAddress"],
                              stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                return True
            time.sleep(0.1)
        return False
