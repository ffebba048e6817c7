"""A port on 127.0.0.1 that nothing listens on, for UDP and TCP alike (a SIP line takes both)."""
import socket


def free_port():
    while True:
        with socket.socket() as tcp, socket.socket(type=socket.SOCK_DGRAM) as udp:
            tcp.bind(("127.0.0.1", 0))
            try:
                udp.bind(("127.0.0.1", tcp.getsockname()[1]))
                return tcp.getsockname()[1]
            except OSError:
                pass
