package test;

/** A service: main runs until serviceStop is called. */
public class Service {
  private static final java.util.concurrent.CountDownLatch stopped = new java.util.concurrent.CountDownLatch(1);

  public static void main(String[] args) throws InterruptedException {
    stopped.await();
  }

  public static void serviceStop() {
    System.out.println("serviceStop");
    stopped.countDown();
  }
}
