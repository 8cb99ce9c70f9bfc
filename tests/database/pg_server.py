"""A throw-away PostgreSQL server for the lab database's tests: its own
cluster in a folder, started as the postgres user when run as root, every
tool run from a folder that user may enter and read apart from its warnings.
"""
import glob
import os
import shutil
import socket
import subprocess

PASSWORD = "bench-secret-7"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Server:
    """A throw-away PostgreSQL cluster; as root, run as the postgres user."""

    def __init__(self, root, settings=""):
        self.settings = settings
        self.bin = sorted(glob.glob("/usr/lib/postgresql/*/bin"))[-1]
        self.dir = os.path.join(root, "cluster")
        self.port = free_port()
        os.makedirs(self.dir)
        pwfile = os.path.join(root, "pw")
        with open(pwfile, "w") as f:
            f.write(PASSWORD + "\n")
        if os.geteuid() == 0:
            shutil.chown(root, "postgres")
            shutil.chown(self.dir, "postgres")
            shutil.chown(pwfile, "postgres")
        self.run("initdb", "-D", self.dir, "-U", "lab", "--pwfile", pwfile, "--auth-local=trust",
                 "--auth-host=scram-sha-256")
        self.start()
        self.run("createdb", "-h", self.dir, "-p", str(self.port), "-U", "lab", "lab")

    def run(self, tool, *args, check_status=True):
        command = [os.path.join(self.bin, tool), *args]
        if os.geteuid() == 0:
            command = ["runuser", "-u", "postgres", "--", *command]
        # From a folder the postgres user may enter (the build folder may be
        # private), and its answer apart from its warnings.
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, cwd="/")
        if check_status and result.returncode != 0:
            raise RuntimeError(" ".join(command) + ": " + result.stdout + result.stderr)
        return result.stdout

    def ctl(self, *args):
        options = (f"-k {self.dir} -p {self.port} -c listen_addresses=127.0.0.1 -c max_connections=100 "
                   f"{self.settings}")
        self.run("pg_ctl", "-D", self.dir, "-o", options, "-l", os.path.join(self.dir, "log"), "-w", *args)

    def start(self):
        self.ctl("start")

    def stop(self, mode="fast"):
        self.ctl("-m", mode, "stop")

    def sql(self, statement, db="lab", user="lab", check_status=True):
        return self.run("psql", "-h", self.dir, "-p", str(self.port), "-U", user, "-At", "-v",
                        "ON_ERROR_STOP=1", "-c", statement, db, check_status=check_status).strip()

    def refused(self, statement, user, db="lab"):
        """Whether the server refuses the statement for the role (over TCP, its password in PGPASSWORD)."""
        command = [os.path.join(self.bin, "psql"), "-h", "127.0.0.1", "-p", str(self.port), "-U", user, "-At",
                   "-v", "ON_ERROR_STOP=1", "-c", statement, db]
        r = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, cwd="/",
                           env=dict(os.environ, PGPASSWORD=PASSWORD))
        return r.returncode != 0 and ("permission denied" in r.stderr or "must be owner" in r.stderr)

    def url(self, db="lab", user="lab"):
        return f"postgresql://{user}@127.0.0.1:{self.port}/{db}"
