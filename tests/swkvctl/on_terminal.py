# Runs a command with standard output and standard error on a pseudo-terminal of 80 columns (or
# $COLUMNS_OF_TERMINAL) and prints what the terminal got, line ends as a file has them, so that
# a console session can show what swkvctl does on a terminal: colours (shown by `cat -v`), widths.
import fcntl, os, pty, struct, subprocess, sys, termios

master, slave = pty.openpty()
columns = int(os.environ.get("COLUMNS_OF_TERMINAL", "80"))
fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
process = subprocess.Popen(sys.argv[1:], stdout=slave, stderr=slave)
os.close(slave)
got = b""
try:
    while chunk := os.read(master, 65536):
        got += chunk
except OSError:  # the terminal is closed once the command ended and everything was read
    pass
sys.stdout.write(got.decode("utf-8", "replace").replace("\r\n", "\n"))
sys.exit(process.wait())
