"""Stopping the gateway while it serves: a console control event (Ctrl+C)
and the host's stop event (hlvctl stop PID) each end the supervision loop
and run the shutdown sequence; the trace service sees states 0, 1, 2."""

import unittest

from harness import GatewayTestCase

SHUTDOWN = ["Shutting down application ...", "Closing in 5 seconds"]


class Shutdown(GatewayTestCase):
    def serving_gateway(self):
        server = self.start_telvexd()
        gateway = self.start_gateway(server=server)
        gateway.wait_ready()
        gateway.wait_line("Application working. Server time - ")
        return gateway

    def assert_shut_down(self, gateway):
        code = gateway.wait_exit(timeout=30)
        lines = gateway.lines()
        self.assertEqual(lines[-2:], SHUTDOWN)
        self.assertEqual(code, 0)
        self.assertEqual(gateway.trace_states(), [0, 1, 2])

    def test_stop_event_runs_the_shutdown_sequence(self):
        gateway = self.serving_gateway()
        self.assertEqual(gateway.stop_event(), 0)
        self.assert_shut_down(gateway)
        self.assertIn("stop-event signalled", gateway.trace())

    def test_ctrl_c_runs_the_shutdown_sequence(self):
        gateway = self.serving_gateway()
        gateway.interrupt()
        self.assert_shut_down(gateway)

    def test_listening_port_is_released(self):
        gateway = self.serving_gateway()
        gateway.stop_event()
        self.assert_shut_down(gateway)
        # A new gateway can listen on the same port at once.
        server = self.start_telvexd()
        again = self.start_gateway(server=server, port=gateway.port)
        again.wait_ready()


if __name__ == "__main__":
    unittest.main()
