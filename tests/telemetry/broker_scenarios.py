#!/usr/bin/python3
"""kestrav-log publishing to a real mosquitto while the broker goes away.

Each scenario starts Debian's mosquitto on a free loopback port with its own
configuration and folder, a subscriber with a persistent session, and
kestrav-log on its simulator, then checks what arrived against the journal:
every seq of the run (duplicates allowed, none missing), the values equal
to the journal's lines, and the retained status at the end.

Usage: broker_scenarios.py KESTRAV_LOG SCENARIO
"""

import atexit
import csv
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

import paho.mqtt.client as mqtt

LOG = sys.argv[1]
SCENARIO = sys.argv[2]
BENCH = "t-" + SCENARIO.replace("_", "-")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Broker:
    def __init__(self, folder, port, tls=None):
        self.folder, self.port, self.proc = folder, port, None
        os.makedirs(folder + "/data", exist_ok=True)
        lines = [
            f"listener {port} 127.0.0.1",
            "allow_anonymous true",
            # CI runs as root: without this mosquitto drops to its own user
            # and cannot write its folder.
            "user root",
            "persistence true",
            f"persistence_location {folder}/data/",
            "autosave_interval 1",
        ]
        if tls:
            lines += [f"cafile {tls['ca']}", f"certfile {tls['cert']}", f"keyfile {tls['key']}"]
        with open(folder + "/mosquitto.conf", "w") as f:
            f.write("\n".join(lines) + "\n")

    def start(self):
        self.proc = subprocess.Popen(["mosquitto", "-c", self.folder + "/mosquitto.conf"],
                                     stdout=subprocess.DEVNULL, stderr=open(self.folder + "/broker.log", "a"))
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                return
            except OSError:
                time.sleep(0.05)
        raise RuntimeError("mosquitto did not answer")

    def stop(self, sig=signal.SIGTERM):
        if self.proc and self.proc.poll() is None:
            self.proc.send_signal(sig)
            self.proc.wait(timeout=10)
        self.proc = None


class Subscriber:
    """A persistent session on kestrav/<bench>/#, reconnecting by itself."""

    def __init__(self, port, tls_ca=None):
        self.samples, self.events, self.lock = [], [], threading.Lock()
        self.connected = threading.Event()
        self.client = mqtt.Client(client_id=f"check-{BENCH}-{os.getpid()}", clean_session=False)
        if tls_ca:
            self.client.tls_set(ca_certs=tls_ca)
        self.client.on_connect = self._on_connect
        self.client.on_message = self._on_message
        self.client.reconnect_delay_set(min_delay=1, max_delay=1)
        self.client.connect("127.0.0.1", port, keepalive=10)
        self.client.loop_start()
        if not self.connected.wait(10):
            raise RuntimeError("subscriber did not connect")

    def _on_connect(self, client, userdata, flags, rc):
        client.subscribe(f"kestrav/{BENCH}/#", qos=1)
        self.connected.set()

    def _on_message(self, client, userdata, msg):
        with self.lock:
            if msg.topic.endswith("/sample"):
                self.samples.append(json.loads(msg.payload))
            elif msg.topic.endswith("/event"):
                self.events.append(json.loads(msg.payload))

    def close(self):
        self.client.loop_stop()
        self.client.disconnect()


def retained_status(port, tls_ca=None):
    got = {}
    done = threading.Event()
    c = mqtt.Client(client_id=f"status-{BENCH}-{os.getpid()}", clean_session=True)
    if tls_ca:
        c.tls_set(ca_certs=tls_ca)

    def on_message(client, userdata, msg):
        got["status"] = msg.payload.decode()
        done.set()

    c.on_connect = lambda client, u, f, rc: client.subscribe(f"kestrav/{BENCH}/status", qos=1)
    c.on_message = on_message
    c.connect("127.0.0.1", port)
    c.loop_start()
    done.wait(5)
    c.loop_stop()
    c.disconnect()
    return got.get("status")


def run_log(work, port, seconds, extra=(), scheme="mqtt", wait=True):
    env = dict(os.environ, XDG_STATE_HOME=work + "/state")
    args = [LOG, "--simulate=1", "--boards", "1", "--seconds", str(seconds), "--out", work + "/run.xls",
            "--mqtt", f"{scheme}://127.0.0.1:{port}", "--bench", BENCH, *extra]
    proc = subprocess.Popen(args, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if wait:
        out, err = proc.communicate(timeout=seconds + 60)
        return proc.returncode, err
    return proc


def journal(work):
    with open(work + "/run.csv", newline="") as f:
        rows = list(csv.reader(f))
    return rows[0], rows[1:]


def check_every_seq(work, sub, settle=15):
    """Waits for the subscriber to hold every sample of the journal, then
    compares each with its line."""
    header, lines = journal(work)
    want = {int(line[1]) for line in lines}
    assert want, "the journal holds no samples"
    deadline = time.monotonic() + settle
    while time.monotonic() < deadline:
        with sub.lock:
            have = {s["seq"] for s in sub.samples}
        if want <= have:
            break
        time.sleep(0.2)
    with sub.lock:
        by_seq = {}
        for s in sub.samples:
            by_seq.setdefault(s["seq"], s)
    missing = sorted(want - set(by_seq))
    assert not missing, f"seq missing: {missing} of {len(want)}"
    for line in lines:
        s = by_seq[int(line[1])]
        assert s["run"] == "run.csv", s["run"]
        assert s["time"] == line[0], (s["time"], line[0])
        for b, board in enumerate(s["boards"]):
            assert board["board"] == b + 1 and board["address"] == f"0x8{b + 1}"
            for k in range(20):
                title = header[3 + 20 * b + k].split(") ", 1)[1]
                assert board["columns"][title] == line[3 + 20 * b + k], (title, board["columns"][title])
    return len(want)


def scenario(name):
    work = tempfile.mkdtemp(prefix=f"kestrav-mqtt-{name}-")
    port = free_port()
    broker = Broker(work + "/broker", port)
    # A scenario that fails leaves no broker behind.
    atexit.register(broker.stop)
    return work, port, broker


def broker_restarted(sig):
    work, port, broker = scenario(SCENARIO)
    broker.start()
    sub = Subscriber(port)
    time.sleep(1.5)  # the subscription is saved (autosave 1 s)
    proc = run_log(work, port, 16, wait=False)
    time.sleep(5)
    broker.stop(sig)
    time.sleep(4)
    broker.start()
    out, err = proc.communicate(timeout=90)
    assert proc.returncode == 0, err
    n = check_every_seq(work, sub)
    assert "lost mqtt://127.0.0.1" in err, err
    assert retained_status(port) == "offline"
    sub.close()
    broker.stop()
    print(f"{SCENARIO}: {n} samples, all arrived")
    shutil.rmtree(work)


def unreachable_at_start():
    work, port, broker = scenario(SCENARIO)
    broker.start()
    sub = Subscriber(port)
    time.sleep(1.5)
    broker.stop()
    proc = run_log(work, port, 10, wait=False)
    time.sleep(4)
    broker.start()
    out, err = proc.communicate(timeout=90)
    assert proc.returncode == 0, err
    assert err.count("cannot reach mqtt://127.0.0.1") == 1, err
    n = check_every_seq(work, sub)
    sub.close()
    broker.stop()
    print(f"{SCENARIO}: {n} samples, all arrived")
    shutil.rmtree(work)


def small_buffer():
    # 50 messages fill within ~20 s of the broker's absence (a sample per
    # 0.8 s and the board's readings once a second).
    work, port, broker = scenario(SCENARIO)
    broker.start()
    sub = Subscriber(port)
    time.sleep(1.5)
    proc = run_log(work, port, 40, extra=["--mqtt-buffer", "50"], wait=False)
    time.sleep(4)
    broker.stop()
    time.sleep(30)
    broker.start()
    out, err = proc.communicate(timeout=120)
    assert proc.returncode == 0, err
    assert err.count("the buffer is full") == 1, err
    n = check_every_seq(work, sub, settle=30)
    with sub.lock:
        kinds = [e["type"] for e in sub.events]
    assert kinds.count("buffer-full") >= 1, kinds
    sub.close()
    broker.stop()
    print(f"{SCENARIO}: {n} samples, all arrived; events {kinds}")
    shutil.rmtree(work)


def killed_program():
    work, port, broker = scenario(SCENARIO)
    broker.start()
    proc = run_log(work, port, 30, wait=False)
    deadline = time.monotonic() + 20
    while retained_status(port) != "online" and time.monotonic() < deadline:
        time.sleep(0.2)
    proc.kill()
    proc.wait()
    # The broker sends the Last Will once the connection is gone.
    deadline = time.monotonic() + 10
    status = None
    while time.monotonic() < deadline:
        status = retained_status(port)
        if status == "offline":
            break
        time.sleep(0.2)
    assert status == "offline", status
    broker.stop()
    print(f"{SCENARIO}: Last Will \"offline\" retained")
    shutil.rmtree(work)


def make_ca(folder, name):
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", f"/CN={name}",
                    "-keyout", f"{folder}/{name}.key", "-out", f"{folder}/{name}.pem"],
                   check=True, capture_output=True)


def tls():
    work, port, _ = scenario(SCENARIO)
    certs = work + "/certs"
    os.makedirs(certs)
    make_ca(certs, "ca")
    make_ca(certs, "wrong-ca")
    with open(certs + "/san.cnf", "w") as f:
        f.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n")
    subprocess.run(["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1",
                    "-keyout", certs + "/broker.key", "-out", certs + "/broker.csr"], check=True, capture_output=True)
    subprocess.run(["openssl", "x509", "-req", "-in", certs + "/broker.csr", "-CA", certs + "/ca.pem",
                    "-CAkey", certs + "/ca.key", "-CAcreateserial", "-days", "2", "-extfile", certs + "/san.cnf",
                    "-out", certs + "/broker.pem"], check=True, capture_output=True)
    broker = Broker(work + "/broker", port, tls={"ca": certs + "/ca.pem", "cert": certs + "/broker.pem",
                                                 "key": certs + "/broker.key"})
    broker.start()
    sub = Subscriber(port, tls_ca=certs + "/ca.pem")
    time.sleep(1.5)
    rc, err = run_log(work, port, 4, extra=["--mqtt-cafile", certs + "/ca.pem"], scheme="mqtts")
    assert rc == 0, (rc, err)
    assert "MQTT" not in err, err
    n = check_every_seq(work, sub)
    os.remove(work + "/run.csv")
    rc, err = run_log(work, port, 2, extra=["--mqtt-cafile", certs + "/wrong-ca.pem"], scheme="mqtts")
    # The run goes on without the broker; the refusal is one clear line.
    assert rc == 0, (rc, err)
    lines = [l for l in err.splitlines() if "MQTT" in l]
    assert len(lines) == 1 and "answers but its TLS certificate is refused" in lines[0], err
    sub.close()
    broker.stop()
    print(f"{SCENARIO}: {n} samples over TLS; wrong CA: {lines[0]}")
    shutil.rmtree(work)


def second_instance():
    work, port, broker = scenario(SCENARIO)
    broker.start()
    first = run_log(work, port, 6, wait=False)
    time.sleep(1.5)
    rc, err = run_log(work, port, 2)
    assert rc == 2, (rc, err)
    assert err.startswith("kestrav-log: another kestrav-log already publishes as bench") and err.count("\n") == 1, err
    first.communicate(timeout=60)
    assert first.returncode == 0
    broker.stop()
    print(f"{SCENARIO}: {err.strip()}")
    shutil.rmtree(work)


def discovery():
    work, port, broker = scenario(SCENARIO)
    broker.start()
    configs, lock = {}, threading.Lock()
    watcher = mqtt.Client(client_id=f"ha-{BENCH}-{os.getpid()}", clean_session=True)
    watcher.on_connect = lambda client, u, f, rc: client.subscribe("homeassistant/sensor/+/+/config", qos=1)

    def on_message(client, userdata, msg):
        if f"kestrav_{BENCH}_b1/" in msg.topic:
            with lock:
                configs[msg.topic] = json.loads(msg.payload)

    watcher.on_message = on_message
    watcher.connect("127.0.0.1", port)
    watcher.loop_start()

    def wait_for_every_config():
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            with lock:
                if len(configs) >= 19:
                    return dict(configs)
            time.sleep(0.1)
        with lock:
            raise AssertionError(f"{len(configs)} discovery configs arrived: {sorted(configs)}")

    proc = run_log(work, port, 12, extra=["--mqtt-discovery"], wait=False)
    first = wait_for_every_config()
    # Board 1: its lowest and highest cell, spread, total, three inputs and twelve cells.
    assert len(first) == 19, sorted(first)
    for topic, c in first.items():
        assert c["device_class"] == "voltage", (topic, c)
        assert c["unit_of_measurement"] in ("V", "mV"), (topic, c)
        assert c["state_topic"] == f"kestrav/{BENCH}/board/1", (topic, c)
        assert c["availability_topic"] == f"kestrav/{BENCH}/status", (topic, c)
        assert c["unique_id"] and c["device"], (topic, c)
        assert ("enabled_by_default" in c) == ("/cell" in topic), (topic, c)
    assert first[f"homeassistant/sensor/kestrav_{BENCH}_b1/spread_mv/config"]["unit_of_measurement"] == "mV"
    # Home Assistant announces itself again: every config is sent again.
    with lock:
        configs.clear()
    watcher.publish("homeassistant/status", "online", qos=1)
    again = wait_for_every_config()
    assert sorted(again) == sorted(first)
    proc.communicate(timeout=60)
    assert proc.returncode == 0, proc.returncode
    watcher.loop_stop()
    watcher.disconnect()
    broker.stop()
    print(f"{SCENARIO}: {len(first)} configs for board 1, sent again when Home Assistant came online")
    shutil.rmtree(work)


{
    "broker_restarted": lambda: broker_restarted(signal.SIGTERM),
    "broker_killed": lambda: broker_restarted(signal.SIGKILL),
    "unreachable_at_start": unreachable_at_start,
    "small_buffer": small_buffer,
    "killed_program": killed_program,
    "tls": tls,
    "second_instance": second_instance,
    "discovery": discovery,
}[SCENARIO]()
